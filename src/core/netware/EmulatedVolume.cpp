#include "core/netware/EmulatedVolume.h"

#include "core/netware/NetWareClient.h"
#include "core/netware/PackedDateTime.h"
#include "core/netware/SystemUsers.h"
#include "core/netware/VolumePaths.h"
#include "core/netware/VolumeTrash.h"

#include <QFile>
#include <QtDebug>

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace corvane {

namespace {

std::optional<struct statx> statusOf(const QByteArray& path, bool followLinks, int directory = AT_FDCWD)
{
    struct statx status;
    const int flags = followLinks ? 0 : AT_SYMLINK_NOFOLLOW;
    if (statx(directory, path.constData(), flags, FileStatusMask, &status) != 0)
        return std::nullopt;
    return status;
}

qint64 nanoseconds(const statx_timestamp& time)
{
    return time.tv_sec * 1000000000LL + time.tv_nsec;
}

void printWarnings(const QStringList& warnings)
{
    for (const QString& warning : warnings)
        qWarning().noquote() << warning;
}

bool isDirectory(const std::optional<struct statx>& status)
{
    return status && S_ISDIR(status->stx_mode);
}

quint64 deviceOf(const struct statx& status)
{
    return (static_cast<quint64>(status.stx_dev_major) << 32) | status.stx_dev_minor;
}

} // namespace

EmulatedVolume::EmulatedVolume(const NetWareVolume& configuration, LocalTimePacker& times,
                               std::unique_ptr<VolumeKnowledge> knowledge)
    : m_configuration(configuration), m_times(times), m_knowledge(std::move(knowledge))
{}

EmulatedVolume::~EmulatedVolume()
{
    closeDescriptor();
}

std::optional<QByteArray> EmulatedVolume::folderForHandle(const QByteArrayList& components)
{
    const QByteArray key = components.join('/');
    if (m_handleFolder.holds(key))
        return m_handleFolder.folder;
    refreshMetadata();
    // What the server learned elsewhere must be there before the folder's entries are read.
    if (m_knowledge && m_knowledge->refresh())
        rebuildDeletedEntries();
    closeDescriptor();
    m_handleFolder.remember(key, directory(components));
    return m_handleFolder.folder;
}

bool EmulatedVolume::RecentFolder::holds(const QByteArray& wanted) const
{
    constexpr qint64 CheckIntervalMilliseconds = 1000;
    return wanted == key && sinceCheck.isValid() && !sinceCheck.hasExpired(CheckIntervalMilliseconds);
}

void EmulatedVolume::RecentFolder::remember(const QByteArray& checkedKey,
                                            std::optional<QByteArray> checkedFolder)
{
    key = checkedKey;
    folder = std::move(checkedFolder);
    sinceCheck.start();
}

// A scan parses the path of every file, so the folder is checked once a second, not once per file.
std::optional<QByteArray> EmulatedVolume::recentDirectory(RecentFolder& recent,
                                                          const QByteArrayList& components)
{
    const QByteArray key = components.join('/');
    if (!recent.holds(key))
        recent.remember(key, directory(components));
    return recent.folder;
}

int EmulatedVolume::descriptorOf(const QByteArray& directory)
{
    if (m_descriptor < 0 || m_descriptorFolder != directory) {
        closeDescriptor();
        m_descriptor = open(pathOf(directory).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        m_descriptorFolder = directory;
        m_descriptorIdentity = m_descriptor < 0 ? std::nullopt : identityOf(m_descriptor);
    }
    return m_descriptor;
}

// The status the scan's listing has just read of the file is as fresh as one read now.
std::optional<struct statx> EmulatedVolume::statusInFolder(const QByteArray& directory, const QByteArray& name)
{
    const int folder = descriptorOf(directory);
    if (folder < 0)
        return std::nullopt;
    if (m_descriptorIdentity)
        if (std::optional<struct statx> listed = takeListedStatus(*m_descriptorIdentity, name))
            return listed;
    return statusOf(name, true, folder);
}

void EmulatedVolume::closeDescriptor()
{
    if (m_descriptor >= 0)
        close(m_descriptor);
    m_descriptor = -1;
}

QByteArray EmulatedVolume::pathOf(const QByteArray& directory) const
{
    return directory.isEmpty() ? m_configuration.root : m_configuration.root + '/' + directory;
}

// A file changed within the clock's granularity of being stamped could change again unseen under
// the same time, so such a stamp is marked as one that matches nothing.
EmulatedVolume::FileStamp EmulatedVolume::stampOf(const QByteArray& path)
{
    constexpr qint64 UncertainNanoseconds = 2000000000LL;
    const std::optional<struct statx> status = statusOf(path, false);
    if (!status)
        return {};
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const qint64 modified = nanoseconds(status->stx_mtime);
    const bool recent = now.tv_sec * 1000000000LL + now.tv_nsec - modified < UncertainNanoseconds;
    return FileStamp{recent ? FileStamp::Uncertain : modified, static_cast<qint64>(status->stx_size),
                     status->stx_ino};
}

void EmulatedVolume::refreshMetadata()
{
    const QByteArray file = pathOf(VolumeMetadataFileName);
    const FileStamp stamp = stampOf(file);
    if (m_metadataStamp == stamp)
        return;
    m_metadataStamp = stamp;
    VolumeMetadataFile metadata(QFile::decodeName(file));
    if (metadata.warnings() != m_metadata.warnings())
        printWarnings(metadata.warnings());
    m_metadata = std::move(metadata);
    m_overrides.clear();
    rebuildDeletedEntries();
}

void EmulatedVolume::refreshTrash()
{
    const FileStamp top = stampOf(m_configuration.root);
    const bool learned = m_knowledge && m_knowledge->refresh();
    const bool topChanged = m_topStamp != top;
    if (topChanged) {
        m_topStamp = top;
        m_trashFolders = trashFolderNames(m_configuration.root);
    }
    QList<FileStamp> stamps;
    for (const QByteArray& folder : std::as_const(m_trashFolders))
        stamps.append(stampOf(joinedPath(m_configuration.root, {folder, "info"})));
    if (!topChanged && stamps == m_trashStamps) {
        if (learned)
            rebuildDeletedEntries();
        return;
    }
    m_trashStamps = stamps;
    m_trash = readVolumeTrash(m_configuration.root, m_trashFolders);
    rebuildDeletedEntries();
}

void EmulatedVolume::rebuildDeletedEntries()
{
    m_deletedByDirectory.clear();
    const auto add = [this](const QList<SalvageableEntry>& entries) {
        for (const SalvageableEntry& entry : entries)
            m_deletedByDirectory[caseFolded(entry.directory)].append(entry);
    };
    add(m_metadata.deleted());
    add(m_trash);
    if (m_knowledge)
        add(m_knowledge->deletedEntries());
}

std::optional<EmulatedVolume::ResolvedDirectory>
EmulatedVolume::resolveDirectory(const QByteArrayList& components) const
{
    QByteArray path = m_configuration.root;
    std::optional<struct statx> status = statusOf(path, true); // the volume's own folder may be a link
    QByteArrayList spelled;
    for (const QByteArray& component : components) {
        if (!isDirectory(status))
            return std::nullopt;
        const std::optional<QByteArray> name = nameOnDisk(path, component);
        if (!name)
            return std::nullopt;
        spelled.append(*name);
        path = joinedPath(path, {*name});
        status = statusOf(path, false);
    }
    if (!isDirectory(status))
        return std::nullopt;
    return ResolvedDirectory{spelled.join('/'), deviceOf(*status), status->stx_ino};
}

std::optional<QByteArray> EmulatedVolume::directory(const QByteArrayList& components)
{
    const QByteArray key = components.join('/');
    const auto known = m_directories.constFind(key);
    if (known != m_directories.cend()) {
        const std::optional<struct statx> status = statusOf(pathOf(known->spelled), components.isEmpty());
        if (isDirectory(status) && deviceOf(*status) == known->device && status->stx_ino == known->inode)
            return known->spelled;
    }
    const std::optional<ResolvedDirectory> resolved = resolveDirectory(components);
    if (!resolved) {
        m_directories.remove(key);
        return std::nullopt;
    }
    if (m_directories.size() >= FoldersRemembered)
        m_directories.clear();
    m_directories.insert(key, *resolved);
    return resolved->spelled;
}

QByteArrayList EmulatedVolume::spelledAsOnDisk(const QByteArrayList& components)
{
    if (components.isEmpty())
        return {};
    const std::optional<QByteArray> parent =
        recentDirectory(m_parsedParent, components.first(components.size() - 1));
    if (!parent)
        return componentsOnDisk(m_configuration.root, components);
    const std::optional<QByteArray> name = nameInFolder(*parent, components.last());
    QByteArrayList spelled = parent->isEmpty() ? QByteArrayList() : parent->split('/');
    spelled.append(name.value_or(components.last()));
    return spelled;
}

// A name the folder's listing holds as spelled needs no look at the disk: a scan parses the path
// of every file it has just listed.
std::optional<QByteArray> EmulatedVolume::nameInFolder(const QByteArray& directory,
                                                       const QByteArray& name)
{
    const DirectoryNames* names = m_names.find(directory);
    if (names != nullptr && names->shortNameOf(name))
        return name;
    return nameOnDisk(pathOf(directory), name);
}

// A folder's names are listed when first asked for, and again when a name is not found, as files
// come and go.
template <typename Lookup>
std::optional<QByteArray> EmulatedVolume::findName(const QByteArray& directory, const Lookup& lookup)
{
    DirectoryNames* names = m_names.find(directory);
    if (names == nullptr) {
        names = &m_names.insert(directory, DirectoryNames());
    } else if (const std::optional<QByteArray> found = lookup(*names)) {
        return found;
    }
    const bool top = directory.isEmpty();
    const auto isListed = [top, this](const QByteArray& name) {
        return !top || !m_configuration.holdsServerEntry(name);
    };
    const std::optional<QByteArrayList> listed = namesIn(directory);
    if (!listed) {
        m_names.erase(directory);
        return std::nullopt;
    }
    names->refresh(*listed, isListed);
    return lookup(*names);
}

// The names the scan's listing has just read of the folder are as fresh as a listing made now.
std::optional<QByteArrayList> EmulatedVolume::namesIn(const QByteArray& directory)
{
    if (descriptorOf(directory) >= 0 && m_descriptorIdentity)
        if (std::optional<QByteArrayList> listed = takeListedNames(*m_descriptorIdentity))
            return listed;
    return listDirectoryNames(pathOf(directory));
}

std::optional<QByteArray> EmulatedVolume::shortNameOf(const QByteArray& directory, const QByteArray& longName)
{
    return findName(directory,
                    [&longName](const DirectoryNames& names) { return names.shortNameOf(longName); });
}

std::optional<QByteArray> EmulatedVolume::longNameOf(const QByteArray& directory, const QByteArray& shortName)
{
    return findName(directory,
                    [&shortName](const DirectoryNames& names) { return names.longNameOf(shortName); });
}

std::optional<EntryInfo> EmulatedVolume::entry(const QByteArray& directory, const QByteArray& shortName,
                                               quint8 searchAttributes)
{
    const std::optional<QByteArray> longName = longNameOf(directory, shortName);
    if (!longName)
        return std::nullopt;
    const std::optional<struct statx> status = statusInFolder(directory, *longName);
    if (!status)
        return std::nullopt;
    EntryOverrides set;
    if (m_knowledge) {
        const QByteArray key = directory.isEmpty() ? *longName : directory + '/' + *longName;
        const bool hasBirthTime = (status->stx_mask & STATX_BTIME) != 0;
        m_knowledge->addTo(set, key,
                           FileFacts{pathOf(key), hasBirthTime ? status->stx_btime.tv_sec : -1, status->stx_mtime.tv_sec});
    }
    applyMetadata(set, directory, *longName);
    quint8 attributes = 0;
    if (longName->startsWith('.'))
        attributes |= NWConstant::AttributeHidden;
    if (set.system.value_or(false))
        attributes |= NWConstant::AttributeSystem;
    if (S_ISDIR(status->stx_mode))
        attributes |= NWConstant::AttributeSubdirectory;
    if ((attributes & ~searchAttributes) != 0)
        return std::nullopt;
    const bool hasBirthTime = (status->stx_mask & STATX_BTIME) != 0;
    const statx_timestamp& creation = hasBirthTime ? status->stx_btime : status->stx_ctime;
    EntryInfo info;
    info.shortName = shortName.toUpper();
    const DirectoryNames* names = m_names.find(directory);
    info.entryNumber = names != nullptr ? names->entryNumberOf(*longName) : 0;
    info.attributes = attributes;
    info.created = set.created.value_or(m_times.pack(creation.tv_sec));
    info.creatorId = set.creator.value_or(objectIdOfUid(status->stx_uid));
    info.archived = set.archived.value_or(0);
    info.archiverId = set.archiver.value_or(0);
    info.modified = set.modified.value_or(m_times.pack(status->stx_mtime.tv_sec));
    info.modifierId = set.modifier.value_or(0);
    info.accessedDate =
        set.accessed.value_or(static_cast<quint16>(m_times.pack(status->stx_atime.tv_sec) >> 16));
    info.size = status->stx_size;
    return info;
}

// A folder's overrides are read when one of its entries is first asked for, and kept for the last
// few hundred folders.
const OverridesByName& EmulatedVolume::overridesOf(const QByteArray& directory)
{
    if (const OverridesByName* known = m_overrides.find(directory))
        return *known;
    const QByteArray folded = caseFolded(directory);
    QStringList warnings;
    OverridesByName overrides = m_metadata.folder(folded, warnings);
    if (warnings != m_folderWarnings.value(folded)) {
        printWarnings(warnings);
        if (warnings.isEmpty())
            m_folderWarnings.remove(folded);
        else
            m_folderWarnings.insert(folded, warnings);
    }
    return m_overrides.insert(directory, std::move(overrides));
}

// The metadata file's hand entries go over what the server learned elsewhere, field by field.
void EmulatedVolume::applyMetadata(EntryOverrides& set, const QByteArray& directory, const QByteArray& name)
{
    const OverridesByName& folder = overridesOf(directory);
    if (folder.isEmpty())
        return;
    CaseFoldingBuffer buffer;
    const auto overrides = folder.constFind(caseFoldedKey(name, buffer));
    if (overrides == folder.cend())
        return;
    for (auto field : {&EntryOverrides::created, &EntryOverrides::creator, &EntryOverrides::archived,
                       &EntryOverrides::archiver, &EntryOverrides::modified, &EntryOverrides::modifier}) {
        if ((*overrides).*field)
            set.*field = (*overrides).*field;
    }
    if (overrides->accessed)
        set.accessed = overrides->accessed;
    if (overrides->system)
        set.system = overrides->system;
}

QList<SalvageableEntry> EmulatedVolume::deletedEntries(const QByteArray& directory) const
{
    return m_deletedByDirectory.value(caseFolded(directory));
}

std::optional<QString> EmulatedVolume::userName(quint32 objectId)
{
    if (!m_metadataStamp)
        refreshMetadata();
    const auto name = m_metadata.users().constFind(objectId);
    if (name != m_metadata.users().cend())
        return *name;
    return m_knowledge ? m_knowledge->userName(objectId) : std::nullopt;
}

} // namespace corvane
