#include "core/netware/PathResolution.h"

#include "core/netware/ScanPaths.h"
#include "core/netware/UserNames.h"

namespace corvane {

namespace {

// The three names NWParsePath fills, each cut at its first zero byte.
struct ParsedPath
{
    QByteArray server;
    QByteArray volume;
    QByteArray directory; // the path within the volume, "\"-separated, empty for its root
};

template <std::size_t Size> QByteArray bytesOf(const std::array<char, Size>& buffer)
{
    return QByteArray(buffer.data(), qstrnlen(buffer.data(), buffer.size()));
}

std::optional<ParsedPath> parsePath(NetWareClient& client, const QByteArray& path)
{
    ServerNameBuffer server{};
    VolumeNameBuffer volume{};
    DirectoryPathBuffer directory{};
    quint32 unusedConnection = 0;
    if (client.NWParsePath(path, server, unusedConnection, volume, directory) != NWResult::Success)
        return std::nullopt;
    return ParsedPath{bytesOf(server), bytesOf(volume), bytesOf(directory)};
}

// The Directory text of the audit tables: \\SERVER\DIRECTORY.
QString storedText(const QByteArray& server, const QByteArray& directory)
{
    return nameText("\\\\" + server + '\\' + directory);
}

} // namespace

// A file in the volume's root has no folder after the volume's ":", and its directory is the bare
// volume name. A Linux name may hold ":", so only "\" separates the file from its folder.
FolderFiles::FolderFiles(NetWareClient& client, const QByteArray& folderPath)
{
    std::optional<ParsedPath> parsed = parsePath(client, folderPath);
    if (!parsed)
        return;
    m_parsed = true;
    m_server = std::move(parsed->server);
    m_pathInVolume = std::move(parsed->directory);
    m_directory = m_pathInVolume.isEmpty() ? parsed->volume : parsed->volume + ':' + m_pathInVolume;
    m_storedDirectory = storedText(m_server, m_directory);
}

std::optional<ScannedFileLocation> FolderFiles::locate(const QByteArray& name) const
{
    const qsizetype pathLength = m_pathInVolume.size() + (m_pathInVolume.isEmpty() ? 0 : 1) + name.size();
    if (!m_parsed || name.isEmpty() || name.contains('\\') ||
        pathLength >= static_cast<qsizetype>(std::tuple_size_v<DirectoryPathBuffer>))
        return std::nullopt;
    return ScannedFileLocation{m_server, m_directory, name, m_storedDirectory};
}

std::optional<ScannedDirectoryLocation> locateScannedDirectory(NetWareClient& client, const QByteArray& path)
{
    const std::optional<ParsedPath> parsed = parsePath(client, path);
    if (!parsed)
        return std::nullopt;
    const QByteArray directory = parsed->volume + ':' + parsed->directory;
    return ScannedDirectoryLocation{parsed->server, directory, storedText(parsed->server, directory)};
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

// The bindery names users up to major version 3, the directory service from 4 on.
bool ClientDirectory::usesDirectoryService() const
{
    VersionRecord version{};
    m_client.NWGetFileServerVersionInfo(m_connection, version);
    return version[VersionField::MajorVersion] >= 4;
}

std::optional<EntryRecord> ClientDirectory::entryOf(const QByteArray& file) const
{
    // The short name's result is not looked at: a failed lookup leaves an empty pattern, which
    // finds no entry.
    ShortNameBuffer shortName{};
    m_client.NWGetLongName(m_connection, m_handle, file + '\0', NWConstant::NameSpaceLong,
                           NWConstant::NameSpaceDos, shortName);
    quint32 iteration = NWConstant::IterationStart;
    EntryRecord entry{};
    if (m_client.NWIntScanExtendedInfo(m_connection, m_handle,
                                       NWConstant::AttributeHidden | NWConstant::AttributeSystem, iteration,
                                       bytesOf(shortName), entry, 0) != NWResult::Success)
        return std::nullopt;
    return entry;
}

const ClientDirectory* HeldDirectory::of(const ScannedFileLocation& location)
{
    if (m_open && location.server == m_server && location.directory == m_directory)
        return m_open.get();
    m_open.reset(); // its handle and connection go before the next ones are taken
    m_open = ClientDirectory::open(m_client, location.server, location.directory);
    m_server = location.server;
    m_directory = location.directory;
    return m_open.get();
}

QString ClientDirectory::objectName(quint32 objectId, bool directoryService) const
{
    const quint64 key = (quint64{directoryService} << 32) | objectId;
    if (const auto known = m_objectNames.constFind(key); known != m_objectNames.cend())
        return *known;
    const QString name = directoryService ? GetNdsObjectName(objectId, m_connection, m_client)
                                          : GetBinderyObjectName(objectId, m_connection, m_client);
    m_objectNames.insert(key, name);
    return name;
}

} // namespace corvane
