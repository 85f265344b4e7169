#include "core/scan/ScanPathList.h"

#include "core/common/LocalScanner.h"
#include "core/netware/DriveType.h"
#include "core/netware/NetWareConfiguration.h"
#include "core/netware/VolumePaths.h"
#include "core/settings/ScanSettings.h"

#include <QDir>
#include <QFile>

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

bool isLocalDrive(const QString& path, const NetWareConfiguration& configuration)
{
    const int type = GetDriveTypeA(path, configuration);
    return type == DriveType::Removable || type == DriveType::Fixed || type == DriveType::CdRom;
}

// The directory a path leads to: its server and volume with the folders below, names folded
// as NetWare matches them; a path that leads to no volume is taken by its upper-case text.
struct PathPlace
{
    QByteArray volume; // "SERVER\VOLUME", empty for a path outside the network
    QByteArrayList folders;

    bool operator==(const PathPlace& other) const = default;

    bool holds(const PathPlace& inner) const
    {
        return volume == inner.volume && inner.folders.size() > folders.size() &&
               inner.folders.mid(0, folders.size()) == folders;
    }
};

QByteArrayList foldedNames(const QByteArrayList& names)
{
    QByteArrayList folded;
    folded.reserve(names.size());
    for (const QByteArray& name : names)
        folded.append(caseFolded(name));
    return folded;
}

PathPlace placeOf(const QString& path, const NetWareConfiguration& configuration)
{
    QByteArray bytes = QFile::encodeName(path);
    if (!isUncPath(bytes) && !isDriveLetterPath(bytes))
        bytes = QFile::encodeName(QDir::current().absoluteFilePath(path));
    if (const std::optional<NetWareLocation> location = configuration.locate(bytes))
        return {location->serverName + '\\' + location->volumeName, foldedNames(location->components)};
    const QByteArray upper = QFile::encodeName(QFile::decodeName(bytes).toUpper());
    return {QByteArray(), pathComponents(upper, true).value_or(QByteArrayList{upper})};
}

} // namespace

AddPathOutcome AddScanPath(ScanSettings& settings, const QString& path,
                           const NetWareConfiguration& configuration, bool includeSubdirectories)
{
    if (isLocalDrive(path, configuration))
        return {AddPathResult::NotNetworkDirectory, {}};
    const PathPlace place = placeOf(path, configuration);
    QString inside;
    for (const ScanPath& entry : settings.Paths) {
        const PathPlace listed = placeOf(entry.path, configuration);
        if (listed == place)
            return {AddPathResult::AlreadyInList, entry.path};
        if (entry.includeSubdirectories && listed.holds(place))
            return {AddPathResult::InsideListedEntry, entry.path};
        if (includeSubdirectories && inside.isEmpty() && place.holds(listed))
            inside = entry.path;
    }
    settings.PathsChanged = true;
    settings.Paths.append(ScanPath{path, includeSubdirectories});
    settings.PathSpecs.append(u"*.*"_s);
    return {AddPathResult::Added, inside};
}

QString addPathMessage(const AddPathOutcome& outcome)
{
    switch (outcome.result) {
    case AddPathResult::Added:
        if (outcome.otherEntry.isEmpty())
            return u"Directory added."_s;
        return u"Directory added. It holds "_s + outcome.otherEntry +
               u", which is in the list too: delete that entry or clear this one's check mark, or the "
               "scan records the files of "_s +
               outcome.otherEntry + u" twice."_s;
    case AddPathResult::NotNetworkDirectory:
        return u"Directory not added. You can only add network directories. To audit the files of "
               "local drives, use "_s +
               localScannerName() + u", our scanner for workstation disks."_s;
    case AddPathResult::AlreadyInList:
        return u"Directory not added. It already exists in list."_s;
    case AddPathResult::InsideListedEntry:
        return u"Directory not added. It already exists in list, as a subdirectory of "_s +
               outcome.otherEntry + u"."_s;
    }
    return {};
}

bool DeleteScanPath(ScanSettings& settings, qsizetype index)
{
    if (index < 0 || index >= settings.Paths.size())
        return false;
    settings.Paths.removeAt(index);
    if (index < settings.PathSpecs.size())
        settings.PathSpecs.removeAt(index);
    if (settings.Paths.isEmpty())
        settings.PathSpecs.clear();
    settings.PathsChanged = true;
    return true;
}

} // namespace corvane
