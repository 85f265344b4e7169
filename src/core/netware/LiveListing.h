#pragma once

#include <QByteArray>
#include <QString>

#include <dirent.h>

#include <memory>
#include <optional>

namespace corvane {

// Selects live file names by a file spec the way the Windows directory listing does: "*" stands
// for any run of characters, "?" for exactly one, letters match without regard to case, and a
// spec ending in ".*" also matches the name without that ending, so "*.*" matches every name and
// budget.* matches budget. (Deleted names go through MatchFileSpec instead.) The 8.3 short names
// Windows also matches against are not consulted.
class WildcardSpec
{
public:
    explicit WildcardSpec(const QString& spec);
    bool matches(const QByteArray& name) const;

private:
    bool matchesPattern(QStringView pattern, const QString& name) const;

    QString m_pattern; // case-folded
    bool m_matchesEverything = false;
    bool m_dotStarEnding = false;
};

// What a folder's listing holds besides plain files: the folders to go down into. Links are
// followed to files only: a link to a folder is neither a file nor a folder of the listing, so a
// link loop is never entered. Sockets, pipes and devices are left out.
enum class ListedKind
{
    File,
    Folder
};

struct ListedEntry
{
    QByteArray name;
    ListedKind kind;
};

// The identity of a folder on disk, to tell a folder reached again below itself.
struct FolderIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FolderIdentity&) const = default;
};

// The entries of one local folder as the file system streams them, in its order, without "." and
// "..". Opening follows a link only when asked (the listed folder itself, not its subfolders).
class FolderListing
{
public:
    FolderListing(const QByteArray& localPath, bool followLink);
    ~FolderListing();
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;

    bool isOpen() const { return m_listing != nullptr; }
    FolderIdentity identity() const { return m_identity; }
    std::optional<ListedEntry> next();
    // The length of a file of the folder, read now; nullopt when it has gone or is no file any more.
    std::optional<qint64> fileLength(const QByteArray& name) const;

private:
    std::optional<ListedKind> kindOf(const dirent& entry) const;

    DIR* m_listing = nullptr;
    FolderIdentity m_identity;
};

} // namespace corvane
