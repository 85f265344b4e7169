#pragma once

#include "core/netware/FolderCache.h"
#include "core/netware/LiveListing.h"
#include "core/netware/NetWareConfiguration.h"
#include "core/netware/ShortNames.h"
#include "core/netware/VolumeKnowledge.h"
#include "core/netware/VolumeMetadata.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QElapsedTimer>
#include <QHash>
#include <QList>

#include <memory>
#include <optional>

namespace corvane {

class LocalTimePacker;

// What the server knows of one entry: the real file's status with the metadata's overrides.
struct EntryInfo
{
    QByteArray shortName;
    quint32 entryNumber = 0;
    quint8 attributes = 0;
    quint32 created = 0;
    quint32 creatorId = 0;
    quint32 archived = 0;
    quint32 archiverId = 0;
    quint32 modified = 0;
    quint32 modifierId = 0;
    quint16 accessedDate = 0;
    quint64 size = 0;
};

// One volume of an emulated server over its Linux folder. Folders are named by their path from
// the volume's top ("/"-separated, spelled as on disk, empty for the top). Links to folders are
// never followed, so no folder is reached twice and nothing outside the volume is reached.
class EmulatedVolume
{
public:
    // knowledge: what the server learned of the volume elsewhere, when it did.
    EmulatedVolume(const NetWareVolume& configuration, LocalTimePacker& times,
                   std::unique_ptr<VolumeKnowledge> knowledge = {});
    ~EmulatedVolume();
    EmulatedVolume(const EmulatedVolume&) = delete;
    EmulatedVolume& operator=(const EmulatedVolume&) = delete;

    const QByteArray& name() const { return m_configuration.name; }

    // Reads the trash folders, and what the server learned elsewhere, again when they changed.
    void refreshTrash();

    // The folder a directory handle is allocated for (see directory()). The disk is checked again
    // (the metadata file, the folder) for another folder than the last one, or a second after the
    // last check: a scan allocates a handle per file, and a check per file would cost more than
    // the file.
    std::optional<QByteArray> folderForHandle(const QByteArrayList& components);

    // The folder the components name, spelled as on disk; nullopt when it does not exist, is no
    // folder or is reached through a link.
    std::optional<QByteArray> directory(const QByteArrayList& components);
    // The components spelled as on disk as far as they exist, the rest as given.
    QByteArrayList spelledAsOnDisk(const QByteArrayList& components);

    std::optional<QByteArray> shortNameOf(const QByteArray& directory, const QByteArray& longName);
    std::optional<QByteArray> longNameOf(const QByteArray& directory, const QByteArray& shortName);
    // The entry with the given short name, when searchAttributes admit it (hidden, system, folder).
    std::optional<EntryInfo> entry(const QByteArray& directory, const QByteArray& shortName,
                                   quint8 searchAttributes);
    // A copy (shared, not deep): a later call may rebuild the lists when the metadata changed.
    QList<SalvageableEntry> deletedEntries(const QByteArray& directory) const;
    std::optional<QString> userName(quint32 objectId);

private:
    // What tells that a file changed; a stamp taken just after a change matches no other.
    struct FileStamp
    {
        static constexpr qint64 Uncertain = -2;
        qint64 modifiedNanoseconds = -1;
        qint64 size = -1;
        quint64 inode = 0;
        bool operator==(const FileStamp& other) const
        {
            return modifiedNanoseconds != Uncertain && modifiedNanoseconds == other.modifiedNanoseconds &&
                   size == other.size && inode == other.inode;
        }
    };
    // A folder looked up by its components, trusted for a second without another check.
    struct RecentFolder
    {
        QByteArray key;
        std::optional<QByteArray> folder;
        QElapsedTimer sinceCheck;
        bool holds(const QByteArray& wanted) const;
        void remember(const QByteArray& checkedKey, std::optional<QByteArray> checkedFolder);
    };
    struct ResolvedDirectory
    {
        QByteArray spelled;
        quint64 device = 0;
        quint64 inode = 0;
    };

    static FileStamp stampOf(const QByteArray& path);
    void refreshMetadata();
    int descriptorOf(const QByteArray& directory);
    std::optional<QByteArrayList> namesIn(const QByteArray& directory);
    // A file's status, links followed; nullopt when it cannot be read.
    std::optional<struct statx> statusInFolder(const QByteArray& directory, const QByteArray& name);
    void closeDescriptor();
    QByteArray pathOf(const QByteArray& directory) const;
    std::optional<ResolvedDirectory> resolveDirectory(const QByteArrayList& components) const;
    std::optional<QByteArray> recentDirectory(RecentFolder& recent, const QByteArrayList& components);
    std::optional<QByteArray> nameInFolder(const QByteArray& directory, const QByteArray& name);
    template <typename Lookup>
    std::optional<QByteArray> findName(const QByteArray& directory, const Lookup& lookup);
    void rebuildDeletedEntries();
    const OverridesByName& overridesOf(const QByteArray& directory);
    void applyMetadata(EntryOverrides& overrides, const QByteArray& directory, const QByteArray& name);

    NetWareVolume m_configuration;
    LocalTimePacker& m_times;
    std::unique_ptr<VolumeKnowledge> m_knowledge;
    VolumeMetadataFile m_metadata;
    std::optional<FileStamp> m_metadataStamp;
    QList<SalvageableEntry> m_trash;
    std::optional<FileStamp> m_topStamp; // a new trash folder changes the top folder
    QByteArrayList m_trashFolders;
    QList<FileStamp> m_trashStamps;
    QHash<QByteArray, QList<SalvageableEntry>> m_deletedByDirectory;
    // The folders looked up and listed are remembered only for the last few hundred folders, so
    // that a scan's memory does not grow with the tree. A folder forgotten is listed again; its
    // short names and entry numbers come out as after a restart of the server, the same as before
    // while the folder has not changed (they are given in the order of the sorted listing).
    static constexpr qsizetype FoldersRemembered = 256;
    QHash<QByteArray, ResolvedDirectory> m_directories; // by the components as asked for
    FolderCache<DirectoryNames> m_names{FoldersRemembered};
    // The metadata's overrides are read a folder at a time, when an entry of it is first asked for.
    FolderCache<OverridesByName> m_overrides{FoldersRemembered}; // by the folder as spelled on disk
    // The warnings last given about a folder's values (by the folder case-folded), given again only
    // when they change, as those of the whole file are.
    QHash<QByteArray, QStringList> m_folderWarnings;
    RecentFolder m_handleFolder;
    RecentFolder m_parsedParent;   // the folder of the last path spelled as on disk
    QByteArray m_descriptorFolder; // entries are read relative to the last folder, held open
    int m_descriptor = -1;
    std::optional<FolderIdentity> m_descriptorIdentity; // of that folder
};

} // namespace corvane
