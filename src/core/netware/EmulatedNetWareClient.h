#pragma once

#include "core/netware/EmulatedVolume.h"
#include "core/netware/NetWareClient.h"
#include "core/netware/NetWareConfiguration.h"
#include "core/netware/PackedDateTime.h"
#include "core/netware/SystemUsers.h"
#include "core/netware/samba/SambaKnowledge.h"

#include <QHash>
#include <QSet>

#include <memory>
#include <vector>

namespace corvane {

// The client operations over the emulated servers of a configuration file (see
// NetWareConfiguration). Connections, directory handles and directory-service contexts are real
// handles: using one that was released fails. The servers' knowledge (short names, metadata,
// trash, user names, the local time zone) is kept in memory between calls, as a server keeps it.
//
// Bindery names are upper case; directory-service names have the form CN=name.O=SERVER. Object
// names are Latin-1 bytes ("?" for what Latin-1 cannot hold).
class EmulatedNetWareClient final : public NetWareClient
{
public:
    explicit EmulatedNetWareClient(QString configurationPath = NetWareConfiguration::defaultPath());
    ~EmulatedNetWareClient() override;

    // The network as read by the last NWCallsInit (empty before it).
    const NetWareConfiguration& configuration() const { return m_configuration; }

    quint32 NWCallsInit() override;
    QString initFailure() const override { return m_initFailure; }
    QList<ServerLogReading> readServerLogs(const std::function<void(const QString&)>& progress) override;
    quint32 NWParsePath(const QByteArray& path, ServerNameBuffer& serverName, quint32& connection,
                        VolumeNameBuffer& volumeName, DirectoryPathBuffer& directoryPath) override;
    quint32 NWCCOpenConnByName(quint32 startConnection, const QByteArray& serverName, quint32 nameFormat,
                               quint32 openState, quint32 transportType, quint32& connection) override;
    quint32 NWCCCloseConn(quint32 connection) override;
    quint32 NWAllocTemporaryDirectoryHandle(quint32 connection, quint8 baseHandle, const QByteArray& path,
                                            quint8& directoryHandle, quint8& effectiveRights) override;
    quint32 NWDeallocateDirectoryHandle(quint32 connection, quint8 directoryHandle) override;
    quint32 NWGetFileServerVersionInfo(quint32 connection, VersionRecord& version) override;
    quint32 NWGetLongName(quint32 connection, quint8 directoryHandle, const QByteArray& path,
                          quint8 sourceNameSpace, quint8 destinationNameSpace,
                          ShortNameBuffer& name) override;
    quint32 NWIntScanExtendedInfo(quint32 connection, quint8 directoryHandle, quint8 searchAttributes,
                                  quint32& iterationHandle, const QByteArray& searchPattern,
                                  EntryRecord& entry, quint8 augmentFlag) override;
    quint32 NWScanForDeletedFiles(quint32 connection, quint8 directoryHandle, quint32& iterationHandle,
                                  quint32& volumeNumber, quint32& directoryBase,
                                  DeletedEntryRecord& entry) override;
    quint32 NWGetObjectName(quint32 connection, quint32 objectId, BinderyNameBuffer& objectName,
                            quint16& objectType) override;
    quint32 NWDSCreateContextHandle(quint32& context) override;
    quint32 NWDSMapIDToName(quint32 context, quint32 connection, quint32 objectId,
                            DirectoryServiceNameBuffer& objectName) override;
    quint32 NWDSFreeContext(quint32 context) override;

private:
    struct Server
    {
        const NetWareServer* configuration = nullptr;
        AuditUserIds auditUsers; // before the volumes, whose knowledge refers to it
        std::vector<std::unique_ptr<EmulatedVolume>> volumes;
    };
    struct OpenDirectory
    {
        EmulatedVolume* volume;
        quint32 volumeNumber;
        QByteArray directory;
    };
    struct Connection
    {
        Server* server;
        QHash<quint8, OpenDirectory> directories;
    };

    Server* serverNamed(const QByteArray& name);
    Connection* connectionOf(quint32 connection);
    // The directory of a handle; error tells why there is none.
    OpenDirectory* openDirectory(quint32 connection, quint8 directoryHandle, quint32& error);
    std::optional<QString> nameOfObject(Server& server, quint32 objectId);

    QString m_configurationPath;
    QString m_initFailure;
    NetWareConfiguration m_configuration;
    std::vector<std::unique_ptr<Server>> m_servers;
    QHash<quint32, Connection> m_connections;
    quint32 m_nextConnection = 1;
    QSet<quint32> m_contexts;
    quint32 m_nextContext = 1;
    LocalTimePacker m_times;
    SystemUserNames m_systemUsers;
};

} // namespace corvane
