#pragma once

#include "core/netware/NetWareClient.h"
#include "core/netware/TextUtilities.h"

#include <QFile>
#include <QString>

#include <memory>
#include <optional>

namespace corvane {

// Texts to and from the client: paths and file names travel as the file system's bytes.
QByteArray clientText(const QString& text);
template <std::size_t Size> QString textFromClient(const std::array<char, Size>& buffer)
{
    return TrimNull(QFile::decodeName(QByteArray(buffer.data(), static_cast<qsizetype>(buffer.size()))));
}

// A path as the client parses it: server, volume, and the directory path within the volume.
struct ParsedPath
{
    QString server;
    QString volume;
    QString directory;
};

// NWParsePath with its three names cut at their first zero; nullopt when the path is on no volume.
std::optional<ParsedPath> parsePath(NetWareClient& client, const QString& path);

// SERVER\VOLUME:DIRECTORY, e.g. SRV1\VOL1:DATA\DOCS\REPORT.DOC.
QString netWarePathText(const ParsedPath& parsed);

struct FilePathParts
{
    QString server;
    QString directory; // VOL1:DATA\DOCS, or the bare VOL1 for a file in the volume's root
    QString file;
};
FilePathParts splitFilePath(const QString& pathText);

struct DirectoryPathParts
{
    QString server;
    QString directory; // VOL1:DATA, or VOL1: for the volume's root
};
DirectoryPathParts splitDirectoryPath(const QString& pathText);

// The Directory text of the audit tables: \\SERVER\DIRECTORY.
QString storedDirectoryText(const QString& server, const QString& directory);

// The bindery names users up to major version 3, the directory service from 4 on.
bool usesDirectoryService(quint8 majorVersion);

// One connection to a server and one temporary directory handle for a directory on it, opened
// together and released together (handle first) when the object goes.
class ServerDirectory
{
public:
    // Open, then allocate; nullptr when either fails (a connection that was opened is closed).
    static std::unique_ptr<ServerDirectory> open(NetWareClient& client, const QString& server,
                                                 const QString& directory);
    ~ServerDirectory();
    ServerDirectory(const ServerDirectory&) = delete;
    ServerDirectory& operator=(const ServerDirectory&) = delete;

    quint32 connection() const { return m_connection; }
    quint8 handle() const { return m_handle; }
    // The server's major version; 0 when the query fails, as its record is zeroed first.
    quint8 majorVersion() const;

private:
    ServerDirectory(NetWareClient& client, quint32 connection, quint8 handle);

    NetWareClient& m_client;
    quint32 m_connection;
    quint8 m_handle;
};

} // namespace corvane
