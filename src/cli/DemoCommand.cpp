#include "cli/DemoCommand.h"

#include "cli/PathCommands.h"
#include "core/common/AppFolder.h"
#include "core/common/FileWriting.h"
#include "core/netware/DemoVolume.h"
#include "core/netware/NetWareConfiguration.h"
#include "core/scan/ScanPathList.h"
#include "core/settings/Registry.h"
#include "core/settings/ScanSettings.h"
#include "core/settings/SettingsPersistence.h"
#include "core/settings/SettingsStore.h"

#include <QDate>
#include <QDir>
#include <QFile>

namespace corvane::cli {

using namespace Qt::StringLiterals;

namespace {

QString demoFolder()
{
    return applicationFolder() + u"demo"_s;
}

// The drive letters of a network, as far as its paths tell them.
QString drivesSection(const NetWareConfiguration& network)
{
    QString lines;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::optional<NetWareLocation> drive = network.locate(QByteArray(1, letter) + ":\\");
        if (drive && drive->server)
            lines += QChar::fromLatin1(letter) + u" = "_s + QString::fromLatin1(drive->serverName) + u'/' +
                     QString::fromLatin1(drive->volumeName) + u'\n';
    }
    return lines.isEmpty() ? QString() : u"\n[drives]\n"_s + lines;
}

// The demo's network as seen from the application folder.
QString applicationConfigurationText(const NetWareConfiguration& demo)
{
    const QDir folder(applicationFolder());
    QString text = u"# Written by \"cv --demo\": the demo network of demo/netware.conf, so that the program\n"
                   "# has servers to scan. Replace it by the servers of your own network; the format is\n"
                   "# described in demo/netware.conf.\n"_s;
    for (const NetWareServer& server : demo.servers()) {
        text += u"\n[server "_s + QString::fromLatin1(server.name) + u"]\nversion = "_s +
                QString::number(server.majorVersion) + u'.' + QString::number(server.minorVersion) + u'\n';
        for (const NetWareVolume& volume : server.volumes)
            text += u"volume "_s + QString::fromLatin1(volume.name) + u" = "_s +
                    folder.relativeFilePath(QFile::decodeName(volume.root)) + u'\n';
    }
    return text + drivesSection(demo);
}

bool writeFile(const QString& path, const QString& text, QTextStream& err)
{
    const int error = replaceFile(path, text.toUtf8(), privateFileMode);
    if (error == 0)
        return true;
    err << "cv: " << path << ": " << systemErrorText(error) << '\n';
    return false;
}

// "\\SERVER\VOLUME\" for every demo volume the program's own network knows as the demo's.
std::optional<QStringList> demoPathsIn(const NetWareConfiguration& demo, const NetWareConfiguration& network)
{
    QStringList paths;
    for (const NetWareServer& server : demo.servers()) {
        for (const NetWareVolume& volume : server.volumes) {
            const QByteArray path = "\\\\" + server.name + '\\' + volume.name + '\\';
            const std::optional<NetWareLocation> known = network.locate(path);
            if (!known || !known->volume || known->volume->canonicalComponents != volume.canonicalComponents)
                return std::nullopt;
            paths.append(QString::fromLatin1(path));
        }
    }
    return paths;
}

bool listDemoPaths(const QStringList& paths, const NetWareConfiguration& network, QTextStream& out,
                   QTextStream& err)
{
    Registry registry(Registry::locationFromEnvironment());
    SettingsStore store(registry);
    ScanSettings settings;
    loadScanPaths(store, settings);
    // Told once the list is saved, so that a failed save never reads as paths added.
    QStringList outcomes;
    for (const QString& path : paths) {
        if (AddScanPath(settings, path, network).result == AddPathResult::Added)
            outcomes.append(u"Added "_s + path + u" to the scan path list."_s);
        else
            outcomes.append(path + u" is in the scan path list already."_s);
    }
    if (!saveScanPathList(store, settings, err))
        return false;
    for (const QString& outcome : outcomes)
        out << outcome << '\n';
    return true;
}

} // namespace

int runDemoCommand(QTextStream& out, QTextStream& err)
{
    const QString demoConfigurationPath = demoFolder() + u"/netware.conf"_s;
    const NetWareConfiguration::Loaded demo = NetWareConfiguration::load(demoConfigurationPath);
    if (!QFile::exists(demoConfigurationPath) || !demo.configuration) {
        err << "cv: no demo network in " << demoFolder()
            << (demo.error.isEmpty() ? QString() : u": "_s + demo.error) << '\n';
        return 1;
    }
    QString failure;
    if (!prepareDemoVolume(demoFolder(), QDate::currentDate(), &failure)) {
        err << "cv: " << failure << '\n';
        return 1;
    }
    out << "The demo network in " << demoFolder() << " is dated "
        << QDate::currentDate().toString(u"MM/dd/yyyy"_s) << ".\n";

    const QString configurationPath = NetWareConfiguration::defaultPath();
    if (!QFile::exists(configurationPath)) {
        if (!writeFile(configurationPath, applicationConfigurationText(*demo.configuration), err))
            return 1;
        out << "Wrote " << configurationPath << " with the demo servers.\n";
    }
    const NetWareConfiguration::Loaded network = NetWareConfiguration::load(configurationPath);
    const std::optional<QStringList> paths =
        network.configuration ? demoPathsIn(*demo.configuration, *network.configuration) : std::nullopt;
    if (!paths) {
        err << "cv: " << configurationPath
            << " is a network of your own without the demo servers; add those of " << demoConfigurationPath
            << " to it to scan the demo\n";
        return 1;
    }
    return listDemoPaths(*paths, *network.configuration, out, err) ? 0 : 1;
}

} // namespace corvane::cli
