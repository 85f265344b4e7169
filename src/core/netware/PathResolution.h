#pragma once

#include "core/netware/NetWareClient.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>
#include <optional>

namespace corvane {

// Where a path lies on the network, as the client parses it. Paths and names travel as the file
// system's bytes: a Linux name may hold bytes that are not UTF-8, and the client must be asked for
// exactly those bytes. Texts are made only for the rows (storedDirectory).

struct ScannedFileLocation
{
    QByteArray server;
    QByteArray directory; // VOL1:DATA\DOCS, or the bare VOL1 for a file in the volume's root
    QByteArray file;
    QString storedDirectory; // \\SRV1\VOL1:DATA\DOCS
};

struct ScannedDirectoryLocation
{
    QByteArray server;
    QByteArray directory; // VOL1:DATA, or VOL1: for the volume's root
    QString storedDirectory;
};

// nullopt when the client cannot parse the path (it lies on no NetWare volume).
std::optional<ScannedDirectoryLocation> locateScannedDirectory(NetWareClient& client, const QByteArray& path);

// The files of one listed folder, located by the client's parse of the folder's own path, made
// once: a scan locates every file it lists, and parsing each file's whole path again would cost
// more than the rest of the file's lookup. Names are taken as the folder's listing spells them.
class FolderFiles
{
public:
    FolderFiles() = default; // locates nothing
    FolderFiles(NetWareClient& client, const QByteArray& folderPath);

    // nullopt when the folder lies on no NetWare volume, or when the client could not take the
    // file's path: a "\" inside a Linux name cannot be told from a separator, and the path within
    // the volume must fit the client's buffer.
    std::optional<ScannedFileLocation> locate(const QByteArray& name) const;

private:
    bool m_parsed = false;
    QByteArray m_server;
    QByteArray m_pathInVolume; // "\"-separated, empty for the volume's root
    QByteArray m_directory;
    QString m_storedDirectory;
};

// A connection to a server and a temporary directory handle on it, opened together by name and
// released together (handle first) when the object goes.
class ClientDirectory
{
public:
    // nullptr when the open or the allocation fails (an opened connection is closed again).
    static std::unique_ptr<ClientDirectory> open(NetWareClient& client, const QByteArray& server,
                                                 const QByteArray& directory);
    ~ClientDirectory();
    ClientDirectory(const ClientDirectory&) = delete;
    ClientDirectory& operator=(const ClientDirectory&) = delete;

    quint32 connection() const { return m_connection; }
    quint8 handle() const { return m_handle; }
    // Whether the server names its users through the directory service (major version 4 and
    // up); a failed version query leaves the record zeroed, which means the bindery.
    bool usesDirectoryService() const;
    // The entry record of a file of this directory, looked up by the short name of its long name,
    // hidden and system entries included; nullopt when the server finds no such entry.
    std::optional<EntryRecord> entryOf(const QByteArray& file) const;
    // The name of an object ID through the naming service of the server's version. Each name is
    // asked of the server once while the directory is open: the files of one directory name the
    // same few users over and over.
    QString objectName(quint32 objectId, bool directoryService) const;

private:
    ClientDirectory(NetWareClient& client, quint32 connection, quint8 handle);

    NetWareClient& m_client;
    quint32 m_connection;
    quint8 m_handle;
    mutable QHash<quint64, QString> m_objectNames; // by naming service and object ID
};

// The directory a scan has open on a server: kept from one file to the next while they lie in the
// same directory, as a client keeps a directory handle rather than allocating one per request.
// A directory that cannot be opened is tried again for the next file.
class HeldDirectory
{
public:
    explicit HeldDirectory(NetWareClient& client) : m_client(client) {}

    // The open directory of a located file; nullptr when it cannot be opened.
    const ClientDirectory* of(const ScannedFileLocation& location);

private:
    NetWareClient& m_client;
    QByteArray m_server;
    QByteArray m_directory;
    std::unique_ptr<ClientDirectory> m_open;
};

} // namespace corvane
