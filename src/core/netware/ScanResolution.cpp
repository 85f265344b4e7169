#include "core/netware/ScanResolution.h"

#include "core/netware/PathResolution.h"
#include "core/netware/ScanPaths.h"
#include "core/netware/TextUtilities.h"
#include "core/netware/UserNames.h"

namespace corvane {

namespace {

// The NetWare path text of a parsed path. Its characters are the client's bytes read one by one
// (BytesToText), so the positions of "\" and ":" are those of the bytes and every part split from
// it turns back into the very bytes with toLatin1().
std::optional<QString> parsedPathText(NetWareClient& client, const QByteArray& path)
{
    ServerNameBuffer server{};
    VolumeNameBuffer volume{};
    DirectoryPathBuffer directory{};
    quint32 unusedConnection = 0;
    if (client.NWParsePath(path, server, unusedConnection, volume, directory) != NWResult::Success)
        return std::nullopt;
    return netWarePathText(ParsedPath{BytesToText(server), BytesToText(volume), BytesToText(directory)});
}

QString storedText(const QString& server, const QString& directory)
{
    return nameText(storedDirectoryText(server, directory).toLatin1());
}

} // namespace

std::optional<ScannedFileLocation> locateScannedFile(NetWareClient& client, const QByteArray& fullPath)
{
    const std::optional<QString> text = parsedPathText(client, fullPath);
    if (!text)
        return std::nullopt;
    const FilePathParts parts = splitFilePath(*text);
    return ScannedFileLocation{parts.server.toLatin1(), parts.directory.toLatin1(), parts.file.toLatin1(),
                               storedText(parts.server, parts.directory)};
}

std::optional<ScannedDirectoryLocation> locateScannedDirectory(NetWareClient& client, const QByteArray& path)
{
    const std::optional<QString> text = parsedPathText(client, path);
    if (!text)
        return std::nullopt;
    const DirectoryPathParts parts = splitDirectoryPath(*text);
    return ScannedDirectoryLocation{parts.server.toLatin1(), parts.directory.toLatin1(),
                                    storedText(parts.server, parts.directory)};
}

std::unique_ptr<ClientDirectory> ClientDirectory::open(NetWareClient& client, const QByteArray& server,
                                                       const QByteArray& directory)
{
    quint32 connection = 0;
    if (client.NWCCOpenConnByName(0, server + '\0', NWConstant::NameFormatBindery,
                                  NWConstant::OpenStateLicensed, NWConstant::TransportAny,
                                  connection) != NWResult::Success)
        return nullptr;
    quint8 handle = 0;
    quint8 unusedRights = 0;
    if (client.NWAllocTemporaryDirectoryHandle(connection, 0, directory + '\0', handle, unusedRights) !=
        NWResult::Success) {
        client.NWCCCloseConn(connection);
        return nullptr;
    }
    return std::unique_ptr<ClientDirectory>(new ClientDirectory(client, connection, handle));
}

ClientDirectory::ClientDirectory(NetWareClient& client, quint32 connection, quint8 handle)
    : m_client(client), m_connection(connection), m_handle(handle)
{}

ClientDirectory::~ClientDirectory()
{
    m_client.NWDeallocateDirectoryHandle(m_connection, m_handle);
    m_client.NWCCCloseConn(m_connection);
}

bool ClientDirectory::usesDirectoryService() const
{
    VersionRecord version{};
    m_client.NWGetFileServerVersionInfo(m_connection, version);
    return corvane::usesDirectoryService(version[VersionField::MajorVersion]);
}

std::optional<EntryRecord> ClientDirectory::entryOf(const QByteArray& file) const
{
    // The short name's result is not looked at: a failed lookup leaves an empty pattern, which
    // finds no entry.
    ShortNameBuffer shortName{};
    m_client.NWGetLongName(m_connection, m_handle, file + '\0', NWConstant::NameSpaceLong,
                           NWConstant::NameSpaceDos, shortName);
    const QByteArray pattern(shortName.data(), qstrnlen(shortName.data(), shortName.size()));
    quint32 iteration = NWConstant::IterationStart;
    EntryRecord entry{};
    if (m_client.NWIntScanExtendedInfo(m_connection, m_handle,
                                       NWConstant::AttributeHidden | NWConstant::AttributeSystem, iteration,
                                       pattern, entry, 0) != NWResult::Success)
        return std::nullopt;
    return entry;
}

QString ClientDirectory::objectName(quint32 objectId, bool directoryService) const
{
    return directoryService ? GetNdsObjectName(objectId, m_connection, m_client)
                            : GetBinderyObjectName(objectId, m_connection, m_client);
}

} // namespace corvane
