#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>

class QIODevice;

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
// none. Paths match the volume's names without regard to letter case, as NetWare names do. A path
// may be written in double quotes with \" \\ \n \t and \xHH escapes, so that any name (spaces,
// quotes, newlines, bytes that are not UTF-8) can be named. Lines that cannot be read are left out
// with a warning naming the file and line; the rest still applies.

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

    friend bool operator==(const SalvageableEntry&, const SalvageableEntry&) = default;
};

// The overrides of one folder's entries, by their name in the folder, case-folded (caseFolded()).
using OverridesByName = QHash<QByteArray, EntryOverrides>;

// A volume's metadata file, indexed by folder: one pass over the file, read in chunks, reads the
// users and the deleted entries and notes where each folder's [entry] sections lie; a folder's
// overrides are read only when asked for. The file is kept open, so that a folder is read from
// the file that was indexed even when the file has since been replaced.
//
// Warnings: the indexing warns about the file's syntax (unknown sections, invalid paths, lines
// that are no "name = value"), users and deleted entries; reading a folder warns about the values
// of its [entry] lines.
class VolumeMetadataFile
{
public:
    static constexpr qint64 DefaultChunkSize = 64 * 1024;

    // No metadata.
    VolumeMetadataFile();
    // A missing file is empty metadata; one that cannot be read is too, with a warning.
    explicit VolumeMetadataFile(const QString& filePath, qint64 chunkSize = DefaultChunkSize);
    // The text of a metadata file; filePath names it in the warnings.
    VolumeMetadataFile(const QByteArray& contents, const QString& filePath,
                       qint64 chunkSize = DefaultChunkSize);
    ~VolumeMetadataFile();
    VolumeMetadataFile(VolumeMetadataFile&&) noexcept;
    VolumeMetadataFile& operator=(VolumeMetadataFile&&) noexcept;

    const QHash<quint32, QString>& users() const { return m_index.users; }
    const QList<SalvageableEntry>& deleted() const { return m_index.deleted; }
    // The warnings of the indexing.
    const QStringList& warnings() const { return m_index.warnings; }
    // The folders that [entry] sections name entries of, by their path from the volume's top
    // ("/"-separated, empty for the top), case-folded; read from the file, for checks of all of it.
    QByteArrayList folders() const;

    // The overrides of the entries of a folder, named as folders() names it; the warnings about
    // their lines are appended to warnings.
    OverridesByName folder(const QByteArray& foldedFolder, QStringList& warnings) const;

    // Where consecutive sections of one kind (and for [entry], of one folder) lie in the file.
    struct Span
    {
        qint64 offset = 0;
        qint64 end = -1; // -1: the file's end
        int firstLine = 0;
    };
    // What the indexing learns.
    struct Index
    {
        QHash<quint32, QString> users;
        QHash<QString, quint32> userIds; // by case-folded name, for users named in entries
        QList<SalvageableEntry> deleted;
        // Sorted by the hash of the case-folded folder, in the file's order within a folder: a few
        // bytes a folder. Folders whose hashes collide are told apart by their sections' headers.
        QList<std::pair<size_t, Span>> entrySections;
        QStringList warnings;
    };

private:
    QString m_filePath;
    std::unique_ptr<QIODevice> m_device;
    qint64 m_chunkSize = DefaultChunkSize;
    Index m_index;
};

// The path of an entry as the metadata keys it: components joined by "/", nullopt when it climbs out.
std::optional<QByteArray> metadataKey(const QByteArray& path);

} // namespace corvane
