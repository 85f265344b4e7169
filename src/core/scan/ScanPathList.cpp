#include "core/scan/ScanPathList.h"

#include "core/common/LocalScanner.h"
#include "core/netware/DriveType.h"
#include "core/settings/ScanSettings.h"

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

bool isLocalDrive(const QString& path, const NetWareConfiguration& configuration)
{
    const int type = GetDriveTypeA(path, configuration);
    return type == DriveType::Removable || type == DriveType::Fixed || type == DriveType::CdRom;
}

bool isListed(const ScanSettings& settings, const QString& path)
{
    const QString upper = path.toUpper();
    for (const ScanPath& entry : settings.Paths) {
        if (entry.path.toUpper() == upper)
            return true;
    }
    return false;
}

} // namespace

AddPathResult AddScanPath(ScanSettings& settings, const QString& path,
                          const NetWareConfiguration& configuration)
{
    if (isLocalDrive(path, configuration))
        return AddPathResult::NotNetworkDirectory;
    if (isListed(settings, path))
        return AddPathResult::AlreadyInList;
    settings.PathsChanged = true;
    settings.Paths.append(ScanPath{path, true});
    settings.PathSpecs.append(u"*.*"_s);
    return AddPathResult::Added;
}

QString addPathMessage(AddPathResult result)
{
    switch (result) {
    case AddPathResult::Added:
        return u"Directory added."_s;
    case AddPathResult::NotNetworkDirectory:
        return u"Directory not added. You can only add network directories. To audit the files of "
               "local drives, use "_s +
               localScannerName() + u", our scanner for workstation disks."_s;
    case AddPathResult::AlreadyInList:
        return u"Directory not added. It already exists in list."_s;
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
