#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace corvane {

struct SambaVolumeSettings;

// The emulated NetWare network, read from a text file (netware.conf):
//
//   # Lines starting with "#" or ";" are comments; blank lines are ignored.
//   [server SRV1]             a server; its name is kept in upper case
//   version = 3.12            major[.minor] file-service version
//   volume VOL1 = /srv/vol1   a volume and its Linux directory (relative: to this file's folder)
//   [drives]
//   F = SRV1/VOL1             a drive letter mapped to a volume ("\" also separates)
//
// A server may take its volumes from a Samba configuration (every disk share with a path, named
// by the share in upper case) and read what the shares' full_audit records tell:
//
//   samba config = /etc/samba/smb.conf              read through testparm (relative: to this folder)
//   samba shares = data, public                     only these shares (default: all)
//   audit source = syslog /var/log/samba-audit.log  also "smbd-log FILE" or "journal [FOLDER]";
//                                                   may be given more than once
//   audit store = /var/lib/corvane-net              where the server keeps what it read
//                                                   (default: netware-audit beside this file)
//   journalctl = /usr/bin/journalctl                the program that reads the journal
//
// Names are 1 to 47 (servers) or 2 to 15 (volumes) letters, digits, "_" or "-", matched without
// regard to case. A missing file is an empty network; anything it cannot read is an error that
// names the file and the line.

struct NetWareVolume
{
    QByteArray name;
    QByteArray root; // absolute, as configured
    QByteArrayList rootComponents;
    QByteArrayList canonicalComponents; // with links resolved; empty when the folder is missing
    std::shared_ptr<const SambaVolumeSettings> samba; // a volume taken from a Samba share, else null

    // Whether a name at the volume's top is the server's own (its metadata, trash or a share's
    // recycle repository): no entry of the volume, never listed or scanned.
    bool holdsServerEntry(const QByteArray& topName) const;
};

struct NetWareServer
{
    QByteArray name;
    quint8 majorVersion = 0;
    quint8 minorVersion = 0;
    QList<NetWareVolume> volumes;

    const NetWareVolume* volume(const QByteArray& volumeName) const;
};

// Where a path points in the network. server and volume are null for a UNC path naming a server
// or volume that is not configured; components are relative to the volume's root.
struct NetWareLocation
{
    QByteArray serverName;
    QByteArray volumeName;
    const NetWareServer* server = nullptr;
    const NetWareVolume* volume = nullptr;
    QByteArrayList components;
};

class NetWareConfiguration
{
public:
    struct Loaded;

    static Loaded load(const QString& filePath);
    // The text of a configuration file; filePath names it in errors and anchors relative folders.
    static Loaded parse(const QByteArray& contents, const QString& filePath);
    // netware.conf in the application folder ($CORVANE_NET_HOME or the executable's folder).
    static QString defaultPath();

    const QList<NetWareServer>& servers() const { return m_servers; }
    const NetWareServer* server(const QByteArray& serverName) const;

    // \\SERVER\VOLUME\dir or //SERVER/VOLUME/dir, X:\dir on a mapped letter (either separator), or
    // an absolute local path inside a volume's folder. nullopt for anything else, a path that
    // climbs out of its volume, or an unmapped letter.
    std::optional<NetWareLocation> locate(const QByteArray& path) const;
    // The local folder a network path stands for, spelled as on disk as far as it exists; a local
    // path comes back as it is. nullopt when the path leads to no configured volume.
    std::optional<QString> localPath(const QString& path) const;

private:
    struct DriveMapping
    {
        QByteArray serverName;
        QByteArray volumeName;
    };
    class Reader;

    std::optional<NetWareLocation> locateUncPath(const QByteArray& path) const;
    std::optional<NetWareLocation> locateDrivePath(const QByteArray& path) const;
    std::optional<NetWareLocation> locateLocalPath(const QByteArray& path) const;

    QList<NetWareServer> m_servers;
    QHash<char, DriveMapping> m_drives;
};

struct NetWareConfiguration::Loaded
{
    std::optional<NetWareConfiguration> configuration;
    QString error; // "file:line: reason" when the configuration is missing
};

bool isUncPath(const QByteArray& path);
bool isDriveLetterPath(const QByteArray& path);

} // namespace corvane
