#include "core/netware/NetWareConfiguration.h"

#include "core/common/AppFolder.h"
#include "core/netware/VolumePaths.h"
#include "core/netware/VolumeTrash.h"
#include "core/netware/samba/RecycleRepository.h"
#include "core/netware/samba/SambaServerKeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

char upperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool startsWith(const QByteArrayList& components, const QByteArrayList& prefix)
{
    return components.size() >= prefix.size() && components.first(prefix.size()) == prefix;
}

// The folder as configured and, when it exists, with its links resolved. A volume on "/" has no
// components at all and still holds every local path.
QList<QByteArrayList> volumeRoots(const NetWareVolume& volume)
{
    if (volume.canonicalComponents.isEmpty())
        return {volume.rootComponents};
    return {volume.rootComponents, volume.canonicalComponents};
}

QByteArrayList canonicalComponents(const QString& folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty())
        return {};
    return pathComponents(QFile::encodeName(canonical), false).value_or(QByteArrayList{});
}

// The server or volume of the list with the name, matched without regard to case (names are
// kept in upper case).
template <typename Named> const Named* namedIn(const QList<Named>& list, const QByteArray& name)
{
    const QByteArray wanted = name.toUpper();
    const auto found = std::find_if(list.cbegin(), list.cend(), [&wanted](const Named& candidate) {
        return candidate.name == wanted;
    });
    return found == list.cend() ? nullptr : &*found;
}

} // namespace

bool isUncPath(const QByteArray& path)
{
    return path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]);
}

bool isDriveLetterPath(const QByteArray& path)
{
    return path.size() >= 2 && upperAscii(path[0]) >= 'A' && upperAscii(path[0]) <= 'Z' && path[1] == ':';
}

bool NetWareVolume::holdsServerEntry(const QByteArray& topName) const
{
    return isServerFileName(topName) || (samba && topName == repositoryTopName(samba->share));
}

const NetWareVolume* NetWareServer::volume(const QByteArray& volumeName) const
{
    return namedIn(volumes, volumeName);
}

// Reads the file line by line; the first line it cannot read ends the reading with its reason.
class NetWareConfiguration::Reader
{
public:
    Reader(const QString& filePath) : m_filePath(filePath), m_folder(QFileInfo(filePath).absolutePath()) {}

    Loaded read(const QByteArray& contents)
    {
        const QList<QByteArray> lines = contents.split('\n');
        for (m_lineNumber = 1; m_lineNumber <= lines.size(); ++m_lineNumber) {
            const QString line = QString::fromUtf8(lines[m_lineNumber - 1]).trimmed();
            if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
                continue;
            const bool understood = line.startsWith(u'[') ? readSection(line) : readSetting(line);
            if (!understood)
                return {std::nullopt, m_error};
        }
        if (!checkVersions() || !addSambaVolumes() || !checkDrives())
            return {std::nullopt, m_error};
        return {m_result, {}};
    }

private:
    enum class Section
    {
        None,
        Server,
        Drives
    };

    bool fail(const QString& reason, int lineNumber)
    {
        m_error = m_filePath + u':' + QString::number(lineNumber) + u": "_s + reason;
        return false;
    }
    bool fail(const QString& reason) { return fail(reason, m_lineNumber); }

    static bool isValidName(const QString& name, int longest)
    {
        static const QRegularExpression pattern(u"^[A-Za-z0-9_-]+$"_s);
        return name.size() <= longest && pattern.match(name).hasMatch();
    }

    bool readSection(const QString& line)
    {
        static const QRegularExpression serverPattern(u"^\\[\\s*server\\s+(\\S+)\\s*\\]$"_s,
                                                      QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression drivesPattern(u"^\\[\\s*drives\\s*\\]$"_s,
                                                      QRegularExpression::CaseInsensitiveOption);
        if (drivesPattern.match(line).hasMatch()) {
            m_section = Section::Drives;
            return true;
        }
        const QRegularExpressionMatch server = serverPattern.match(line);
        if (!server.hasMatch())
            return fail(u"unknown section %1 (expected [server NAME] or [drives])"_s.arg(line));
        return startServer(server.captured(1));
    }

    bool startServer(const QString& name)
    {
        if (!isValidName(name, 47))
            return fail(u"invalid server name \"%1\""_s.arg(name));
        const QByteArray upper = name.toUpper().toLatin1();
        if (m_result.server(upper))
            return fail(u"server %1 is defined twice"_s.arg(name));
        m_result.m_servers.append(NetWareServer{upper, 0, 0, {}});
        m_serverLines.append(m_lineNumber);
        m_sambaKeys.append(SambaServerKeys(m_folder));
        m_section = Section::Server;
        return true;
    }

    bool readSetting(const QString& line)
    {
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            return fail(u"expected \"name = value\""_s);
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        switch (m_section) {
        case Section::Server:
            return readServerSetting(key, value);
        case Section::Drives:
            return readDrive(key, value);
        case Section::None:
            break;
        }
        return fail(u"setting outside a section"_s);
    }

    bool readServerSetting(const QString& key, const QString& value)
    {
        static const QRegularExpression volumePattern(u"^volume\\s+(\\S+)$"_s,
                                                      QRegularExpression::CaseInsensitiveOption);
        if (key.compare(u"version"_s, Qt::CaseInsensitive) == 0)
            return readVersion(value);
        if (const std::optional<QString> reason = m_sambaKeys.last().read(key.simplified().toLower(), value, m_lineNumber))
            return reason->isEmpty() || fail(*reason);
        const QRegularExpressionMatch volume = volumePattern.match(key);
        if (volume.hasMatch())
            return addVolume(volume.captured(1), value);
        return fail(u"unknown server setting \"%1\" (expected version or volume NAME)"_s.arg(key));
    }

    bool readVersion(const QString& value)
    {
        static const QRegularExpression pattern(u"^([0-9]{1,3})(?:\\.([0-9]{1,3}))?$"_s);
        const QRegularExpressionMatch match = pattern.match(value);
        const int major = match.captured(1).toInt();
        const int minor = match.captured(2).toInt();
        if (!match.hasMatch() || major < 1 || major > 255 || minor > 255)
            return fail(u"invalid version \"%1\" (expected a number such as 3.12)"_s.arg(value));
        m_result.m_servers.last().majorVersion = static_cast<quint8>(major);
        m_result.m_servers.last().minorVersion = static_cast<quint8>(minor);
        return true;
    }

    bool addVolume(const QString& name, const QString& folder)
    {
        NetWareServer& server = m_result.m_servers.last();
        if (name.size() < 2 || !isValidName(name, 15))
            return fail(u"invalid volume name \"%1\""_s.arg(name));
        if (folder.isEmpty())
            return fail(u"volume %1 names no folder"_s.arg(name));
        const QByteArray upper = name.toUpper().toLatin1();
        if (server.volume(upper))
            return fail(u"volume %1 is defined twice"_s.arg(name));
        return addVolumeFolder(server, upper, folder, {});
    }

    bool addVolumeFolder(NetWareServer& server, const QByteArray& upper, const QString& folder,
                         std::shared_ptr<const SambaVolumeSettings> samba)
    {
        const QString name = QString::fromLatin1(upper);
        if (folder.contains(QChar(u'\0')))
            return fail(u"volume %1 names a folder with a zero character"_s.arg(name));
        // Joined by hand: QDir would take a folder starting with ":" for one of Qt's resources.
        const QString root = QDir::cleanPath(folder.startsWith(u'/') ? folder : m_folder + u'/' + folder);
        const QByteArray rootBytes = QFile::encodeName(root);
        // Paths inside /\NAME would all be read as network paths, so none would reach the volume.
        if (isUncPath(rootBytes))
            return fail(u"volume %1 names a folder that reads as a network path (%2)"_s.arg(name, root));
        const std::optional<QByteArrayList> rootComponents = pathComponents(rootBytes, false);
        if (!rootComponents)
            return fail(u"volume %1 names a folder above / (%2)"_s.arg(name, root));
        server.volumes.append(
            NetWareVolume{upper, rootBytes, *rootComponents, canonicalComponents(root), std::move(samba)});
        return true;
    }

    // The shares of every server that names a Samba configuration become its volumes.
    bool addSambaVolumes()
    {
        for (qsizetype i = 0; i < m_result.m_servers.size(); ++i) {
            const SambaServerKeys& keys = m_sambaKeys[i];
            if (keys.namesConfiguration()) {
                if (!addSambaShares(m_result.m_servers[i], keys))
                    return false;
            } else if (keys.namesSourcesOrShares()) {
                return fail(u"server %1 names audit sources or shares but no samba config"_s.arg(
                                QString::fromLatin1(m_result.m_servers[i].name)),
                            m_serverLines[i]);
            }
        }
        return true;
    }

    bool addSambaShares(NetWareServer& server, const SambaServerKeys& keys)
    {
        m_lineNumber = keys.configurationLine();
        SambaShareVolumes chosen = keys.shareVolumes(QString::fromLatin1(server.name));
        if (!chosen.error.isEmpty())
            return fail(chosen.error);
        for (SambaShareVolume& share : chosen.volumes) {
            // Shares whose name cannot name a volume are left out unless named one by one.
            if (share.name.size() < 2 || !isValidName(share.name, 15)) {
                if (share.namedInSection)
                    return fail(u"the share name %1 cannot name a volume"_s.arg(share.name));
                continue;
            }
            const QByteArray upper = share.name.toUpper().toLatin1();
            if (server.volume(upper))
                return fail(u"volume %1 is defined twice"_s.arg(share.name));
            const QString folder = QFile::decodeName(share.settings.share.path);
            if (!addVolumeFolder(server, upper, folder,
                                 std::make_shared<const SambaVolumeSettings>(std::move(share.settings))))
                return false;
        }
        return true;
    }

    bool readDrive(const QString& key, const QString& value)
    {
        static const QRegularExpression letterPattern(u"^([A-Za-z]):?$"_s);
        static const QRegularExpression targetPattern(u"^([^\\\\/]+)[\\\\/]([^\\\\/:]+):?$"_s);
        const QRegularExpressionMatch letter = letterPattern.match(key);
        const QRegularExpressionMatch target = targetPattern.match(value);
        if (!letter.hasMatch())
            return fail(u"invalid drive letter \"%1\""_s.arg(key));
        if (!target.hasMatch())
            return fail(u"invalid drive target \"%1\" (expected SERVER/VOLUME)"_s.arg(value));
        const char drive = letter.captured(1).toUpper().at(0).toLatin1();
        if (m_result.m_drives.contains(drive))
            return fail(u"drive %1: is mapped twice"_s.arg(QChar::fromLatin1(drive)));
        m_result.m_drives.insert(drive, DriveMapping{target.captured(1).toUpper().toLatin1(),
                                                     target.captured(2).toUpper().toLatin1()});
        m_driveLines.insert(drive, m_lineNumber);
        return true;
    }

    bool checkVersions()
    {
        for (qsizetype i = 0; i < m_result.m_servers.size(); ++i) {
            if (m_result.m_servers[i].majorVersion == 0)
                return fail(
                    u"server %1 has no version"_s.arg(QString::fromLatin1(m_result.m_servers[i].name)),
                    m_serverLines[i]);
        }
        return true;
    }

    // Drives may be mapped before their servers are defined, so they are checked at the end.
    bool checkDrives()
    {
        for (auto drive = m_result.m_drives.cbegin(); drive != m_result.m_drives.cend(); ++drive) {
            const NetWareServer* server = m_result.server(drive->serverName);
            if (!server || !server->volume(drive->volumeName))
                return fail(u"drive %1: is mapped to %2/%3, which is not defined"_s.arg(
                                QChar::fromLatin1(drive.key()), QString::fromLatin1(drive->serverName),
                                QString::fromLatin1(drive->volumeName)),
                            m_driveLines.value(drive.key()));
        }
        return true;
    }

    QString m_filePath;
    QString m_folder;
    int m_lineNumber = 0;
    QString m_error;
    Section m_section = Section::None;
    NetWareConfiguration m_result;
    QList<int> m_serverLines;
    QList<SambaServerKeys> m_sambaKeys; // by server
    QHash<char, int> m_driveLines;
};

NetWareConfiguration::Loaded NetWareConfiguration::load(const QString& filePath)
{
    QFile file(filePath);
    if (!file.exists())
        return {NetWareConfiguration(), {}};
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, filePath + u":0: cannot be read: "_s + file.errorString()};
    return parse(file.readAll(), filePath);
}

NetWareConfiguration::Loaded NetWareConfiguration::parse(const QByteArray& contents, const QString& filePath)
{
    return Reader(filePath).read(contents);
}

QString NetWareConfiguration::defaultPath()
{
    return applicationFolder() + u"netware.conf"_s;
}

const NetWareServer* NetWareConfiguration::server(const QByteArray& serverName) const
{
    return namedIn(m_servers, serverName);
}

std::optional<NetWareLocation> NetWareConfiguration::locate(const QByteArray& path) const
{
    if (isUncPath(path))
        return locateUncPath(path);
    if (isDriveLetterPath(path))
        return locateDrivePath(path);
    if (path.startsWith('/'))
        return locateLocalPath(path);
    return std::nullopt;
}

std::optional<NetWareLocation> NetWareConfiguration::locateUncPath(const QByteArray& path) const
{
    QByteArray rest = path.mid(2);
    rest.replace('\\', '/');
    const qsizetype serverEnd = rest.indexOf('/');
    const qsizetype volumeEnd = serverEnd < 0 ? -1 : rest.indexOf('/', serverEnd + 1);
    const QByteArray serverName = rest.left(serverEnd).toUpper();
    QByteArray volumeName = rest.mid(serverEnd + 1, volumeEnd < 0 ? -1 : volumeEnd - serverEnd - 1).toUpper();
    if (volumeName.endsWith(':'))
        volumeName.chop(1);
    if (serverEnd <= 0 || volumeName.isEmpty())
        return std::nullopt;
    const std::optional<QByteArrayList> components =
        pathComponents(volumeEnd < 0 ? QByteArray() : rest.mid(volumeEnd + 1), false);
    if (!components)
        return std::nullopt;
    const NetWareServer* known = server(serverName);
    return NetWareLocation{serverName, volumeName, known, known ? known->volume(volumeName) : nullptr,
                           *components};
}

std::optional<NetWareLocation> NetWareConfiguration::locateDrivePath(const QByteArray& path) const
{
    const auto mapping = m_drives.constFind(upperAscii(path[0]));
    const std::optional<QByteArrayList> components = pathComponents(path.mid(2), true);
    if (mapping == m_drives.cend() || !components)
        return std::nullopt;
    const NetWareServer* mapped = server(mapping->serverName);
    return NetWareLocation{mapping->serverName, mapping->volumeName, mapped,
                           mapped->volume(mapping->volumeName), *components};
}

// The deepest volume whose folder holds the path, by its configured or its canonical name.
std::optional<NetWareLocation> NetWareConfiguration::locateLocalPath(const QByteArray& path) const
{
    const std::optional<QByteArrayList> components = pathComponents(path, false);
    if (!components)
        return std::nullopt;
    std::optional<NetWareLocation> best;
    qsizetype bestDepth = -1;
    for (const NetWareServer& server : m_servers) {
        for (const NetWareVolume& volume : server.volumes) {
            for (const QByteArrayList& root : volumeRoots(volume)) {
                if (!startsWith(*components, root) || root.size() <= bestDepth)
                    continue;
                bestDepth = root.size();
                best =
                    NetWareLocation{server.name, volume.name, &server, &volume, components->mid(root.size())};
            }
        }
    }
    return best;
}

std::optional<QString> NetWareConfiguration::localPath(const QString& path) const
{
    const QByteArray bytes = QFile::encodeName(path);
    if (!isUncPath(bytes) && !isDriveLetterPath(bytes))
        return path;
    const std::optional<NetWareLocation> location = locate(bytes);
    if (!location || !location->volume)
        return std::nullopt;
    const QByteArray& root = location->volume->root;
    return QFile::decodeName(joinedPath(root, componentsOnDisk(root, location->components)));
}

} // namespace corvane
