#include "core/netware/PathResolution.h"

using namespace Qt::StringLiterals;

namespace corvane {

QByteArray clientText(const QString& text)
{
    return QFile::encodeName(text);
}

std::optional<ParsedPath> parsePath(NetWareClient& client, const QString& path)
{
    ServerNameBuffer server{};
    VolumeNameBuffer volume{};
    DirectoryPathBuffer directory{};
    quint32 unusedConnection = 0;
    if (client.NWParsePath(clientText(path), server, unusedConnection, volume, directory) !=
        NWResult::Success)
        return std::nullopt;
    return ParsedPath{textFromClient(server), textFromClient(volume), textFromClient(directory)};
}

QString netWarePathText(const ParsedPath& parsed)
{
    return parsed.server + u'\\' + parsed.volume + u':' + parsed.directory;
}

// A file in the volume's root has no "\" after the server's: its name follows the volume's ":".
// The first ":" after the server is taken, not the last, so a Linux name holding ":" stays whole.
FilePathParts splitFilePath(const QString& pathText)
{
    const qsizetype first = pathText.indexOf(u'\\');
    const qsizetype last = pathText.lastIndexOf(u'\\');
    const qsizetype end = first == last ? pathText.indexOf(u':', first + 1) : last;
    return FilePathParts{pathText.left(first), pathText.mid(first + 1, end - first - 1),
                         pathText.mid(end + 1)};
}

DirectoryPathParts splitDirectoryPath(const QString& pathText)
{
    const qsizetype first = pathText.indexOf(u'\\');
    return DirectoryPathParts{pathText.left(first), pathText.mid(first + 1)};
}

QString storedDirectoryText(const QString& server, const QString& directory)
{
    return u"\\\\"_s + server + u'\\' + directory;
}

bool usesDirectoryService(quint8 majorVersion)
{
    return majorVersion >= 4;
}

std::unique_ptr<ServerDirectory> ServerDirectory::open(NetWareClient& client, const QString& server,
                                                       const QString& directory)
{
    quint32 connection = 0;
    if (client.NWCCOpenConnByName(0, clientText(server) + '\0', NWConstant::NameFormatBindery,
                                  NWConstant::OpenStateLicensed, NWConstant::TransportAny,
                                  connection) != NWResult::Success)
        return nullptr;
    quint8 handle = 0;
    quint8 unusedRights = 0;
    if (client.NWAllocTemporaryDirectoryHandle(connection, 0, clientText(directory) + '\0', handle,
                                               unusedRights) != NWResult::Success) {
        client.NWCCCloseConn(connection);
        return nullptr;
    }
    return std::unique_ptr<ServerDirectory>(new ServerDirectory(client, connection, handle));
}

ServerDirectory::ServerDirectory(NetWareClient& client, quint32 connection, quint8 handle)
    : m_client(client), m_connection(connection), m_handle(handle)
{}

ServerDirectory::~ServerDirectory()
{
    m_client.NWDeallocateDirectoryHandle(m_connection, m_handle);
    m_client.NWCCCloseConn(m_connection);
}

quint8 ServerDirectory::majorVersion() const
{
    VersionRecord version{};
    m_client.NWGetFileServerVersionInfo(m_connection, version);
    return version[VersionField::MajorVersion];
}

} // namespace corvane
