#pragma once

#include <QDate>
#include <QList>
#include <QStringList>

#include <array>

namespace corvane {

// The byte flags of the settings record, in the record's order; each is named
// after its settings key.
enum class Flag {
    Hidden,
    System,
    Created,
    Owner,
    LastAccess,
    LastArchive,
    LastArchiveBy,
    LastModify,
    LastModifyBy,
    FileDetail,
    DeletedFiles,
    NewFiles,
    EditedFiles,
    OpenedFiles,
    DeletedDirs,
    NewDirs,
    DirActivity,
    ArchivedFiles,
    Deleted,
    Deletor,
    Size,
    AutoPurge,
    AutoScan,
    AutoRun,
    ExitAfterScan,
};
constexpr int flagCount = static_cast<int>(Flag::ExitAfterScan) + 1;

// One entry of the scan path list: a directory and its "include subdirectories"
// check mark. Its file specs are the PathSpecs text of the same index.
struct ScanPath
{
    QString path;
    bool includeSubdirectories = true;

    friend bool operator==(const ScanPath&, const ScanPath&) = default;
};

// The main window's in-memory settings: loaded at start-up, saved at shutdown.
struct ScanSettings
{
    QList<ScanPath> Paths;
    QStringList PathSpecs;
    std::array<bool, flagCount> flags{};
    qint16 DaysToKeep = 0;
    QString StartTime;
    bool PathsChanged = false;
    bool TimedStart = false;

    bool flag(Flag f) const { return flags[static_cast<size_t>(f)]; }
    void setFlag(Flag f, bool on) { flags[static_cast<size_t>(f)] = on; }
    bool& flagRef(Flag f) { return flags[static_cast<size_t>(f)]; }
};

// Where a flag is stored and what it reads as when it was never stored.
struct FlagKey
{
    Flag flag;
    const char16_t* section;
    const char16_t* key;
    bool defaultValue;
};

// Every flag in the order the settings are saved.
const std::array<FlagKey, flagCount>& flagKeys();

} // namespace corvane
