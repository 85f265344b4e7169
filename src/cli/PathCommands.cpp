#include "cli/PathCommands.h"

#include "core/netware/NetWareConfiguration.h"
#include "core/scan/ScanPathList.h"
#include "core/settings/Registry.h"
#include "core/settings/ScanSettings.h"
#include "core/settings/SettingsPersistence.h"
#include "core/settings/SettingsStore.h"

#include <QDir>
#include <QFileInfo>

namespace corvane::cli {

using namespace Qt::StringLiterals;

namespace {

// The stored path list, and its store for writing it back.
class StoredPathList
{
public:
    StoredPathList() : m_registry(Registry::locationFromEnvironment()), m_store(m_registry)
    {
        loadScanPaths(m_store, settings);
    }
    bool save(QTextStream& err) { return saveScanPathList(m_store, settings, err); }

    ScanSettings settings;

private:
    Registry m_registry;
    SettingsStore m_store;
};

struct AddOptions
{
    QString path;
    std::optional<QString> specs;
    bool includeSubdirectories = true;
};

std::optional<AddOptions> readAddOptions(const QStringList& options)
{
    AddOptions add;
    for (qsizetype i = 0; i < options.size(); ++i) {
        const QString& option = options.at(i);
        if (option == u"--no-subdirs"_s)
            add.includeSubdirectories = false;
        else if (option == u"--specs"_s && i + 1 < options.size())
            add.specs = options.at(++i);
        else if (add.path.isEmpty() && !option.startsWith(u"--"_s))
            add.path = option;
        else
            return std::nullopt;
    }
    if (add.path.isEmpty())
        return std::nullopt;
    return add;
}

// The scan runs from anywhere: a local folder is stored by its absolute path. Network paths are
// stored as typed.
QString storedPathOf(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    if (isUncPath(bytes) || isDriveLetterPath(bytes))
        return path;
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

bool saveScanPathList(SettingsStore& store, const ScanSettings& settings, QTextStream& err)
{
    if (saveScanPaths(store, settings))
        return true;
    err << "cv: the scan path list could not be saved in "
        << store.registry().hivePath(RootKey::CurrentUser) << "; it is unchanged\n";
    return false;
}

int runListPathsCommand(QTextStream& out)
{
    const StoredPathList list;
    for (qsizetype i = 0; i < list.settings.Paths.size(); ++i) {
        const ScanPath& entry = list.settings.Paths.at(i);
        out << i + 1 << '\t' << entry.path << '\t'
            << (entry.includeSubdirectories ? "subdirectories" : "no subdirectories") << '\t'
            << list.settings.PathSpecs.value(i) << '\n';
    }
    return 0;
}

int runAddPathCommand(const QStringList& options, QTextStream& out, QTextStream& err)
{
    const std::optional<AddOptions> add = readAddOptions(options);
    if (!add) {
        err << "cv: --add-path takes a path, then optionally --specs SPECS and --no-subdirs\n";
        return 2;
    }
    const NetWareConfiguration::Loaded network =
        NetWareConfiguration::load(NetWareConfiguration::defaultPath());
    if (!network.configuration) {
        err << "cv: " << network.error << '\n';
        return 1;
    }
    StoredPathList list;
    const AddPathOutcome result = AddScanPath(list.settings, storedPathOf(add->path), *network.configuration,
                                              add->includeSubdirectories);
    if (result.result != AddPathResult::Added) {
        err << addPathMessage(result) << '\n';
        return 1;
    }
    if (add->specs)
        list.settings.PathSpecs.last() = *add->specs;
    if (!list.save(err))
        return 1;
    out << addPathMessage(result) << '\n';
    return 0;
}

int runRemovePathCommand(const QStringList& options, QTextStream& out, QTextStream& err)
{
    bool isNumber = false;
    const qsizetype number = options.size() == 1 ? options.first().toLongLong(&isNumber) : 0;
    if (!isNumber) {
        err << "cv: --remove-path takes the number of an entry, as --list-paths shows it\n";
        return 2;
    }
    StoredPathList list;
    if (!DeleteScanPath(list.settings, number - 1)) {
        err << "cv: there is no entry " << options.first() << " in the path list of "
            << list.settings.Paths.size() << " entries\n";
        return 1;
    }
    if (!list.save(err))
        return 1;
    out << "Directory deleted.\n";
    return 0;
}

} // namespace corvane::cli
