#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtEndian>

#include <array>
#include <cstddef>
#include <functional>

namespace corvane {

// Result codes of the client operations: 0 is success, the rest follow NetWare's numbering
// (0x88xx from the client itself, 0x89xx from the server, negative values from the directory service).
namespace NWResult {
constexpr quint32 Success = 0;
constexpr quint32 InvalidConnection = 0x8801;
constexpr quint32 InvalidParameter = 0x8836;
constexpr quint32 ServerUnknown = 0x8847;
constexpr quint32 ConfigurationUnreadable = 0x88FF;
constexpr quint32 VolumeUnknown = 0x8998;
constexpr quint32 InvalidDirectoryHandle = 0x899B;
constexpr quint32 InvalidPath = 0x899C;
constexpr quint32 NoMoreDirectoryHandles = 0x899D;
constexpr quint32 InvalidNameSpace = 0x89BF;
constexpr quint32 NoSuchObject = 0x89FC;
// Also "no such file": a lookup that finds nothing has no more entries to give.
constexpr quint32 NoMoreEntries = 0x89FF;
constexpr quint32 BadContext = static_cast<quint32>(-303);
constexpr quint32 NoSuchEntry = static_cast<quint32>(-601);
} // namespace NWResult

// Arguments with fixed meanings.
namespace NWConstant {
constexpr quint32 NameFormatBindery = 2;
constexpr quint32 OpenStateLicensed = 1;
constexpr quint32 TransportAny = 0x8000;
constexpr quint8 NameSpaceDos = 0;
constexpr quint8 NameSpaceLong = 4;
constexpr quint32 IterationStart = 0xFFFFFFFF;
// Entry attributes, also used as search attributes: hidden and system entries are found only when
// asked for, directories only with the subdirectory bit.
constexpr quint8 AttributeHidden = 0x02;
constexpr quint8 AttributeSystem = 0x04;
constexpr quint8 AttributeSubdirectory = 0x10;
constexpr quint16 ObjectTypeUser = 1;
} // namespace NWConstant

// Name buffers hold zero-terminated bytes; the client zero-fills what it does not write.
using ServerNameBuffer = std::array<char, 48>;
using VolumeNameBuffer = std::array<char, 48>;
using DirectoryPathBuffer = std::array<char, 255>;
using ShortNameBuffer = std::array<char, 16>;
using BinderyNameBuffer = std::array<char, 64>;
using DirectoryServiceNameBuffer = std::array<char, 256>;

// Records: little-endian fields at fixed offsets.
using VersionRecord = std::array<quint8, 64>;
using EntryRecord = std::array<quint8, 134>;
using DeletedEntryRecord = std::array<quint8, 360>;

namespace VersionField {
constexpr std::size_t ServerName = 0; // 48 bytes
constexpr std::size_t MajorVersion = 48;
constexpr std::size_t MinorVersion = 49;
constexpr std::size_t Revision = 50;
} // namespace VersionField

namespace EntryField {
constexpr std::size_t EntryNumber = 0;
constexpr std::size_t Attributes = 8;
constexpr std::size_t NameSpace = 14;
constexpr std::size_t NameLength = 15;
constexpr std::size_t Name = 16; // 12 bytes, the DOS name
constexpr std::size_t CreationDateTime = 28;
constexpr std::size_t OwnerId = 32;
constexpr std::size_t LastArchiveDateTime = 36;
constexpr std::size_t LastArchiverId = 40;
constexpr std::size_t LastUpdateDateTime = 44;
constexpr std::size_t LastUpdaterId = 48;
constexpr std::size_t DataSize = 52;        // saturates at 0xFFFFFFFF
constexpr std::size_t LastAccessDate = 102; // 2 bytes
} // namespace EntryField

namespace DeletedField {
constexpr std::size_t EntryNumber = 0;
constexpr std::size_t Attributes = 8;
constexpr std::size_t NameLength = 15;
constexpr std::size_t Name = 16;      // 256 bytes, zero-terminated
constexpr std::size_t DataSize = 296; // saturates at 0xFFFFFFFF
constexpr std::size_t DeletedDateTime = 352;
constexpr std::size_t DeletorId = 356;
} // namespace DeletedField

template <std::size_t Size> quint32 recordValue32(const std::array<quint8, Size>& record, std::size_t offset)
{
    return qFromLittleEndian<quint32>(record.data() + offset);
}

template <std::size_t Size> quint16 recordValue16(const std::array<quint8, Size>& record, std::size_t offset)
{
    return qFromLittleEndian<quint16>(record.data() + offset);
}

// What a server that learns from logs read of one volume's log before a scan.
struct ServerLogReading
{
    QString summary;     // one line for the status box
    bool complete = true; // every source could be read
};

// The operations of the NetWare client library. Texts go in as bytes (cut at their first zero byte);
// file names are the file system's bytes, object names the server's Latin-1. Every call returns a
// result code from NWResult; out-parameters are written only as each operation documents.
class NetWareClient
{
public:
    virtual ~NetWareClient() = default;

    // 0 when the client is usable; otherwise initFailure() tells why.
    virtual quint32 NWCallsInit() = 0;
    virtual QString initFailure() const = 0;
    // Servers that learn who did what from logs of their own read what the logs gained since the
    // last time, reporting progress on the way; a server without such logs reads nothing.
    virtual QList<ServerLogReading> readServerLogs(const std::function<void(const QString&)>& /*progress*/)
    {
        return {};
    }

    // Server, volume and directory path (relative to the volume, "\"-separated, empty for the
    // volume root) of a UNC path, a path on a mapped drive letter or a local path inside a volume.
    virtual quint32 NWParsePath(const QByteArray& path, ServerNameBuffer& serverName, quint32& connection,
                                VolumeNameBuffer& volumeName, DirectoryPathBuffer& directoryPath) = 0;

    virtual quint32 NWCCOpenConnByName(quint32 startConnection, const QByteArray& serverName,
                                       quint32 nameFormat, quint32 openState, quint32 transportType,
                                       quint32& connection) = 0;
    virtual quint32 NWCCCloseConn(quint32 connection) = 0;

    // Path: "VOLUME:DIR\SUB", "VOLUME:" or "VOLUME" for the root.
    virtual quint32 NWAllocTemporaryDirectoryHandle(quint32 connection, quint8 baseHandle,
                                                    const QByteArray& path, quint8& directoryHandle,
                                                    quint8& effectiveRights) = 0;
    virtual quint32 NWDeallocateDirectoryHandle(quint32 connection, quint8 directoryHandle) = 0;

    virtual quint32 NWGetFileServerVersionInfo(quint32 connection, VersionRecord& version) = 0;

    // The name of an entry of the handle's directory in another name space (long to DOS here).
    virtual quint32 NWGetLongName(quint32 connection, quint8 directoryHandle, const QByteArray& path,
                                  quint8 sourceNameSpace, quint8 destinationNameSpace,
                                  ShortNameBuffer& name) = 0;

    // The entry record of the entry whose DOS name is searchPattern; iterationHandle starts at
    // NWConstant::IterationStart.
    virtual quint32 NWIntScanExtendedInfo(quint32 connection, quint8 directoryHandle, quint8 searchAttributes,
                                          quint32& iterationHandle, const QByteArray& searchPattern,
                                          EntryRecord& entry, quint8 augmentFlag) = 0;

    // One salvageable deleted entry of the handle's directory per call; NoMoreEntries after the last.
    virtual quint32 NWScanForDeletedFiles(quint32 connection, quint8 directoryHandle,
                                          quint32& iterationHandle, quint32& volumeNumber,
                                          quint32& directoryBase, DeletedEntryRecord& entry) = 0;

    virtual quint32 NWGetObjectName(quint32 connection, quint32 objectId, BinderyNameBuffer& objectName,
                                    quint16& objectType) = 0;

    virtual quint32 NWDSCreateContextHandle(quint32& context) = 0;
    virtual quint32 NWDSMapIDToName(quint32 context, quint32 connection, quint32 objectId,
                                    DirectoryServiceNameBuffer& objectName) = 0;
    virtual quint32 NWDSFreeContext(quint32 context) = 0;
};

} // namespace corvane
