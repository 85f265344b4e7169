#include "core/netware/EmulatedNetWareClient.h"

#include "core/netware/VolumePaths.h"
#include "core/netware/samba/AuditTrailReader.h"
#include "core/netware/samba/SambaKnowledge.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

constexpr quint8 AllRights = 0xFF;
constexpr qsizetype LongestBinderyName = 47;

// Texts come in as zero-terminated strings: what follows the first zero byte is not part of them.
QByteArray textOf(const QByteArray& bytes)
{
    const qsizetype end = bytes.indexOf('\0');
    return end < 0 ? bytes : bytes.left(end);
}

// The text and a zero byte, the rest zero-filled; false (buffer empty) when it does not fit.
template <std::size_t Size> bool putText(std::array<char, Size>& buffer, const QByteArray& text)
{
    buffer.fill('\0');
    if (static_cast<std::size_t>(text.size()) >= Size)
        return false;
    std::copy(text.cbegin(), text.cend(), buffer.begin());
    return true;
}

template <std::size_t Size, typename Value>
void putValue(std::array<quint8, Size>& record, std::size_t offset, Value value)
{
    qToLittleEndian(value, record.data() + offset);
}

quint32 saturated32(quint64 value)
{
    return static_cast<quint32>(std::min<quint64>(value, std::numeric_limits<quint32>::max()));
}

QByteArray latin1Of(const QString& text)
{
    QByteArray bytes = text.toLatin1();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).unicode() > 0xFF)
            bytes[i] = '?';
    }
    return bytes;
}

void fillEntryRecord(EntryRecord& record, const EntryInfo& info)
{
    record.fill(0);
    putValue(record, EntryField::EntryNumber, info.entryNumber);
    putValue(record, EntryField::Attributes, static_cast<quint32>(info.attributes));
    record[EntryField::NameSpace] = NWConstant::NameSpaceDos;
    record[EntryField::NameLength] = static_cast<quint8>(info.shortName.size());
    std::copy(info.shortName.cbegin(), info.shortName.cend(), record.begin() + EntryField::Name);
    putValue(record, EntryField::CreationDateTime, info.created);
    putValue(record, EntryField::OwnerId, info.creatorId);
    putValue(record, EntryField::LastArchiveDateTime, info.archived);
    putValue(record, EntryField::LastArchiverId, info.archiverId);
    putValue(record, EntryField::LastUpdateDateTime, info.modified);
    putValue(record, EntryField::LastUpdaterId, info.modifierId);
    putValue(record, EntryField::DataSize, saturated32(info.size));
    putValue(record, EntryField::LastAccessDate, info.accessedDate);
}

void fillDeletedRecord(DeletedEntryRecord& record, const SalvageableEntry& deleted, quint32 number)
{
    record.fill(0);
    const QByteArray name = deleted.name.left(255);
    putValue(record, DeletedField::EntryNumber, number);
    record[DeletedField::NameLength] = static_cast<quint8>(name.size());
    std::copy(name.cbegin(), name.cend(), record.begin() + DeletedField::Name);
    putValue(record, DeletedField::DataSize, saturated32(deleted.size));
    putValue(record, DeletedField::DeletedDateTime, deleted.deletedDateTime);
    putValue(record, DeletedField::DeletorId, deleted.deletorId);
}

} // namespace

EmulatedNetWareClient::EmulatedNetWareClient(QString configurationPath)
    : m_configurationPath(std::move(configurationPath))
{}

EmulatedNetWareClient::~EmulatedNetWareClient() = default;

quint32 EmulatedNetWareClient::NWCallsInit()
{
    m_connections.clear();
    m_servers.clear();
    NetWareConfiguration::Loaded loaded = NetWareConfiguration::load(m_configurationPath);
    m_initFailure = loaded.error;
    m_configuration = loaded.configuration.value_or(NetWareConfiguration());
    for (const NetWareServer& server : m_configuration.servers()) {
        auto emulated = std::make_unique<Server>();
        emulated->configuration = &server;
        for (const NetWareVolume& volume : server.volumes) {
            std::unique_ptr<VolumeKnowledge> knowledge;
            if (volume.samba)
                knowledge = std::make_unique<SambaKnowledge>(*volume.samba, m_times, emulated->auditUsers);
            emulated->volumes.push_back(std::make_unique<EmulatedVolume>(volume, m_times, std::move(knowledge)));
        }
        m_servers.push_back(std::move(emulated));
    }
    return loaded.configuration ? NWResult::Success : NWResult::ConfigurationUnreadable;
}

QList<ServerLogReading> EmulatedNetWareClient::readServerLogs(const std::function<void(const QString&)>& progress)
{
    QList<ServerLogReading> readings;
    for (const NetWareServer& server : m_configuration.servers()) {
        for (const NetWareVolume& volume : server.volumes) {
            if (!volume.samba)
                continue;
            const QString name = QString::fromLatin1(server.name + '/' + volume.name);
            if (progress)
                progress(u"Reading the audit trail of %1..."_s.arg(name));
            const AuditReading reading = readAuditTrail(name, *volume.samba, progress);
            readings.append(ServerLogReading{reading.summary(name), reading.problems.isEmpty()});
        }
    }
    return readings;
}

quint32 EmulatedNetWareClient::NWParsePath(const QByteArray& path, ServerNameBuffer& serverName,
                                           quint32& connection, VolumeNameBuffer& volumeName,
                                           DirectoryPathBuffer& directoryPath)
{
    const QByteArray text = textOf(path);
    const std::optional<NetWareLocation> location = m_configuration.locate(text);
    if (!location)
        return NWResult::InvalidPath;
    QByteArrayList components = location->components;
    // A local path is spelled as on disk already; a typed network path takes the disk's spelling.
    Server* server = serverNamed(location->serverName);
    if (server && location->volume && (isUncPath(text) || isDriveLetterPath(text))) {
        for (const auto& volume : server->volumes) {
            if (volume->name() == location->volumeName)
                components = volume->spelledAsOnDisk(components);
        }
    }
    // A "\" inside a Linux name cannot be told from a separator in NetWare path text.
    const bool representable =
        std::none_of(components.cbegin(), components.cend(),
                     [](const QByteArray& component) { return component.contains('\\'); });
    // Every buffer is filled (or emptied) whether or not the others fit.
    const bool serverFits = putText(serverName, location->serverName);
    const bool volumeFits = putText(volumeName, location->volumeName);
    const bool directoryFits = putText(directoryPath, components.join('\\'));
    if (!representable || !serverFits || !volumeFits || !directoryFits)
        return NWResult::InvalidPath;
    connection = 0; // the emulation attaches to nothing while parsing
    return NWResult::Success;
}

quint32 EmulatedNetWareClient::NWCCOpenConnByName(quint32, const QByteArray& serverName, quint32 nameFormat,
                                                  quint32, quint32, quint32& connection)
{
    if (nameFormat != NWConstant::NameFormatBindery)
        return NWResult::InvalidParameter;
    Server* server = serverNamed(textOf(serverName));
    if (!server)
        return NWResult::ServerUnknown;
    while (m_nextConnection == 0 || m_connections.contains(m_nextConnection))
        ++m_nextConnection;
    connection = m_nextConnection++;
    m_connections.insert(connection, Connection{server, {}});
    return NWResult::Success;
}

quint32 EmulatedNetWareClient::NWCCCloseConn(quint32 connection)
{
    return m_connections.remove(connection) ? NWResult::Success : NWResult::InvalidConnection;
}

quint32 EmulatedNetWareClient::NWAllocTemporaryDirectoryHandle(quint32 connection, quint8 baseHandle,
                                                               const QByteArray& path,
                                                               quint8& directoryHandle,
                                                               quint8& effectiveRights)
{
    Connection* open = connectionOf(connection);
    if (!open)
        return NWResult::InvalidConnection;
    if (baseHandle != 0) // only full paths from a volume are supported
        return NWResult::InvalidDirectoryHandle;
    const QByteArray text = textOf(path);
    const qsizetype colon = text.indexOf(':');
    const QByteArray volumeName = (colon < 0 ? text : text.left(colon)).toUpper();
    const std::optional<QByteArrayList> components =
        pathComponents(colon < 0 ? QByteArray() : text.mid(colon + 1), true);
    const auto& volumes = open->server->volumes;
    const auto volume = std::find_if(volumes.cbegin(), volumes.cend(), [&volumeName](const auto& candidate) {
        return candidate->name() == volumeName;
    });
    if (volume == volumes.cend())
        return NWResult::VolumeUnknown;
    if (!components)
        return NWResult::InvalidPath;
    const std::optional<QByteArray> directory = (*volume)->folderForHandle(*components);
    if (!directory)
        return NWResult::InvalidPath;
    quint8 handle = 1;
    while (open->directories.contains(handle)) {
        if (handle == 255)
            return NWResult::NoMoreDirectoryHandles;
        ++handle;
    }
    open->directories.insert(
        handle, OpenDirectory{volume->get(), static_cast<quint32>(volume - volumes.cbegin()), *directory});
    directoryHandle = handle;
    effectiveRights = AllRights;
    return NWResult::Success;
}

quint32 EmulatedNetWareClient::NWDeallocateDirectoryHandle(quint32 connection, quint8 directoryHandle)
{
    quint32 error = NWResult::Success;
    if (!openDirectory(connection, directoryHandle, error))
        return error;
    m_connections[connection].directories.remove(directoryHandle);
    return NWResult::Success;
}

quint32 EmulatedNetWareClient::NWGetFileServerVersionInfo(quint32 connection, VersionRecord& version)
{
    const Connection* open = connectionOf(connection);
    if (!open)
        return NWResult::InvalidConnection;
    version.fill(0);
    const NetWareServer& server = *open->server->configuration;
    std::copy(server.name.cbegin(), server.name.cend(), version.begin() + VersionField::ServerName);
    version[VersionField::MajorVersion] = server.majorVersion;
    version[VersionField::MinorVersion] = server.minorVersion;
    return NWResult::Success;
}

quint32 EmulatedNetWareClient::NWGetLongName(quint32 connection, quint8 directoryHandle,
                                             const QByteArray& path, quint8 sourceNameSpace,
                                             quint8 destinationNameSpace, ShortNameBuffer& name)
{
    quint32 error = NWResult::Success;
    OpenDirectory* open = openDirectory(connection, directoryHandle, error);
    if (!open)
        return error;
    const bool fromLong = sourceNameSpace == NWConstant::NameSpaceLong;
    if (destinationNameSpace != NWConstant::NameSpaceDos ||
        (!fromLong && sourceNameSpace != NWConstant::NameSpaceDos))
        return NWResult::InvalidNameSpace;
    const QByteArray entryName = textOf(path);
    std::optional<QByteArray> shortName;
    if (fromLong)
        shortName = open->volume->shortNameOf(open->directory, entryName);
    else if (open->volume->longNameOf(open->directory, entryName))
        shortName = entryName.toUpper();
    if (!shortName)
        return NWResult::NoMoreEntries;
    putText(name, *shortName);
    return NWResult::Success;
}

quint32 EmulatedNetWareClient::NWIntScanExtendedInfo(quint32 connection, quint8 directoryHandle,
                                                     quint8 searchAttributes, quint32& iterationHandle,
                                                     const QByteArray& searchPattern, EntryRecord& entry,
                                                     quint8)
{
    quint32 error = NWResult::Success;
    OpenDirectory* open = openDirectory(connection, directoryHandle, error);
    if (!open)
        return error;
    // The pattern is one DOS name, so the first call finds everything there is to find.
    if (iterationHandle != NWConstant::IterationStart)
        return NWResult::NoMoreEntries;
    const std::optional<EntryInfo> info =
        open->volume->entry(open->directory, textOf(searchPattern), searchAttributes);
    if (!info)
        return NWResult::NoMoreEntries;
    fillEntryRecord(entry, *info);
    iterationHandle = info->entryNumber;
    return NWResult::Success;
}

quint32 EmulatedNetWareClient::NWScanForDeletedFiles(quint32 connection, quint8 directoryHandle,
                                                     quint32& iterationHandle, quint32& volumeNumber,
                                                     quint32& directoryBase, DeletedEntryRecord& entry)
{
    quint32 error = NWResult::Success;
    OpenDirectory* open = openDirectory(connection, directoryHandle, error);
    if (!open)
        return error;
    const bool first = iterationHandle == NWConstant::IterationStart;
    if (first)
        open->volume->refreshTrash();
    const QList<SalvageableEntry> deleted = open->volume->deletedEntries(open->directory);
    const quint32 next = first ? 0 : iterationHandle + 1;
    if (next >= static_cast<quint32>(deleted.size()))
        return NWResult::NoMoreEntries;
    fillDeletedRecord(entry, deleted[next], next);
    iterationHandle = next;
    volumeNumber = open->volumeNumber;
    directoryBase = 0;
    return NWResult::Success;
}

quint32 EmulatedNetWareClient::NWGetObjectName(quint32 connection, quint32 objectId,
                                               BinderyNameBuffer& objectName, quint16& objectType)
{
    Connection* open = connectionOf(connection);
    if (!open)
        return NWResult::InvalidConnection;
    const std::optional<QString> name = nameOfObject(*open->server, objectId);
    if (!name)
        return NWResult::NoSuchObject;
    putText(objectName, latin1Of(name->toUpper()).left(LongestBinderyName));
    objectType = NWConstant::ObjectTypeUser;
    return NWResult::Success;
}

quint32 EmulatedNetWareClient::NWDSCreateContextHandle(quint32& context)
{
    while (m_nextContext == 0 || m_contexts.contains(m_nextContext))
        ++m_nextContext;
    context = m_nextContext++;
    m_contexts.insert(context);
    return NWResult::Success;
}

quint32 EmulatedNetWareClient::NWDSMapIDToName(quint32 context, quint32 connection, quint32 objectId,
                                               DirectoryServiceNameBuffer& objectName)
{
    if (!m_contexts.contains(context))
        return NWResult::BadContext;
    Connection* open = connectionOf(connection);
    if (!open)
        return NWResult::InvalidConnection;
    const std::optional<QString> name = nameOfObject(*open->server, objectId);
    if (!name)
        return NWResult::NoSuchEntry;
    const QByteArray typed = "CN=" + latin1Of(*name) + ".O=" + open->server->configuration->name;
    putText(objectName, typed.left(static_cast<qsizetype>(objectName.size()) - 1));
    return NWResult::Success;
}

quint32 EmulatedNetWareClient::NWDSFreeContext(quint32 context)
{
    return m_contexts.remove(context) ? NWResult::Success : NWResult::BadContext;
}

EmulatedNetWareClient::Server* EmulatedNetWareClient::serverNamed(const QByteArray& name)
{
    const QByteArray wanted = name.toUpper();
    for (const auto& server : m_servers) {
        if (server->configuration->name == wanted)
            return server.get();
    }
    return nullptr;
}

EmulatedNetWareClient::Connection* EmulatedNetWareClient::connectionOf(quint32 connection)
{
    const auto open = m_connections.find(connection);
    return open == m_connections.end() ? nullptr : &*open;
}

EmulatedNetWareClient::OpenDirectory*
EmulatedNetWareClient::openDirectory(quint32 connection, quint8 directoryHandle, quint32& error)
{
    Connection* open = connectionOf(connection);
    const auto directory =
        open ? open->directories.find(directoryHandle) : QHash<quint8, OpenDirectory>::iterator();
    error = !open ? NWResult::InvalidConnection : NWResult::InvalidDirectoryHandle;
    if (!open || directory == open->directories.end())
        return nullptr;
    error = NWResult::Success;
    return &*directory;
}

// The users tables of the server's volumes first, then the system's user database. ID 0 is nobody.
std::optional<QString> EmulatedNetWareClient::nameOfObject(Server& server, quint32 objectId)
{
    if (objectId == 0)
        return std::nullopt;
    for (const auto& volume : server.volumes) {
        if (std::optional<QString> name = volume->userName(objectId))
            return name;
    }
    const std::optional<quint32> uid = uidOfObjectId(objectId);
    return uid ? m_systemUsers.nameOf(*uid) : std::nullopt;
}

} // namespace corvane
