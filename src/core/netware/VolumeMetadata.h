#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane {

// What the emulated server knows beyond the files themselves: a text file at the top of a volume,
// left out of everything the server lists.
//
//   # comments start with "#" or ";"
//   [users]                      object ID = name; a Linux user's ID is its uid + 1
//   1001 = ALICE
//   [entry DATA/DOCS/REPORT.DOC] a live entry, by its path from the volume's top
//   created  = 2026-12-07 09:15:00
//   creator  = alice             a user by name (users table, then the system) or by object ID
//   archived = 2026-12-07 18:00:00
//   archiver = bob
//   modified = 2026-12-07 10:02:00
//   modifier = 1001
//   accessed = 2026-12-07        a date; its time of day is dropped
//   system   = yes               the entry carries the system attribute
//   [deleted DATA/DOCS/OLD.DOC]  a salvageable deleted entry (the same path may appear again)
//   size     = 12345
//   deleted  = 2026-12-07 11:30:00
//   deletor  = bob
//
// Date-times are YYYY-MM-DD HH:MM:SS (local time; a "T" may stand for the space), YYYY-MM-DD,
// a raw packed value 0x2F8B70A3 (for accessed the 16-bit date, 0x26E4), or none. Users may also be
// none. Paths match the volume's names without regard to letter case, as NetWare names do. A path may be written in double quotes with \" \\ \n \t and \xHH escapes, so that any
// name (spaces, quotes, newlines, bytes that are not UTF-8) can be named. Lines that cannot be read
// are left out with a warning naming the file and line; the rest still applies.

constexpr const char* VolumeMetadataFileName = ".netware-meta";

struct EntryOverrides
{
    std::optional<quint32> created;
    std::optional<quint32> creator;
    std::optional<quint32> archived;
    std::optional<quint32> archiver;
    std::optional<quint32> modified;
    std::optional<quint32> modifier;
    std::optional<quint16> accessed;
    std::optional<bool> system;
};

// A salvageable deleted entry; directory is its folder's path from the volume's top ("/"-separated,
// empty for the top itself).
struct SalvageableEntry
{
    QByteArray directory;
    QByteArray name;
    quint64 size = 0;
    quint32 deletedDateTime = 0;
    quint32 deletorId = 0;
};

struct VolumeMetadata
{
    QHash<quint32, QString> users;
    // By path from the volume's top, "/"-separated and case-folded: sections naming one entry in
    // different letter case add to the same overrides.
    QHash<QByteArray, EntryOverrides> entries;
    QList<SalvageableEntry> deleted;
    QStringList warnings;
};

// A missing file is empty metadata.
VolumeMetadata readVolumeMetadata(const QString& filePath);
// The text of a metadata file; filePath names it in the warnings.
VolumeMetadata parseVolumeMetadata(const QByteArray& contents, const QString& filePath);

// The path of an entry as the metadata keys it: components joined by "/", nullopt when it climbs out.
std::optional<QByteArray> metadataKey(const QByteArray& path);

} // namespace corvane
