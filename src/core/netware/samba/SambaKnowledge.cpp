#include "core/netware/samba/SambaKnowledge.h"

#include "core/netware/PackedDateTime.h"
#include "core/netware/SystemUsers.h"
#include "core/netware/samba/RecycleRepository.h"

#include <QtEndian>

#include <algorithm>
#include <utility>

#include <sys/stat.h>
#include <sys/xattr.h>


namespace corvane {

namespace {

constexpr qint64 RefreshMilliseconds = 2000;
// How far the audit's time and the file's own may lie apart and still describe the same change:
// smbd writes the record when the call ends and sets a file's write time up to two seconds late.
constexpr qint64 SameChangeSeconds = 5;
constexpr quint32 ArchiveAttribute = 0x20;
// IDs of users known only by the name the audit wrote: far above any uid + 1 of this system.
constexpr quint32 FirstNamedOnlyId = 0x7F000000;

// The DOS attributes smbd stores in user.DOSATTRIB: a hex text in old versions, since then an
// NDR blob whose attribute word sits at offset 8 (versions 1 to 3) or 12 (versions 4 and 5).
std::optional<quint32> dosAttributesOf(const QByteArray& path)
{
    char value[256];
    const ssize_t length = getxattr(path.constData(), "user.DOSATTRIB", value, sizeof value);
    if (length <= 0)
        return std::nullopt;
    const QByteArray blob(value, length);
    if (blob.startsWith("0x")) {
        bool ok = false;
        const quint32 attributes = QByteArray(blob.constData()).mid(2).toUInt(&ok, 16);
        return ok ? std::optional<quint32>(attributes) : std::nullopt;
    }
    if (blob.size() < 16 || blob[0] != '\0')
        return std::nullopt;
    const quint16 version = qFromLittleEndian<quint16>(blob.constData() + 2);
    const qsizetype offset = version >= 1 && version <= 3 ? 8 : version <= 5 ? 12 : -1;
    if (offset < 0)
        return std::nullopt;
    return qFromLittleEndian<quint32>(blob.constData() + offset);
}

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray() : path.left(slash);
}

QByteArray nameOf(const QByteArray& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

bool exists(const QByteArray& path)
{
    struct stat status;
    return lstat(path.constData(), &status) == 0;
}

// The unused deletion closest in time to when a file went into the repository.
const PathDeletion* closestDeletion(const QList<const PathDeletion*>& deletions, QList<bool>& used, qint64 movedIn)
{
    qsizetype best = -1;
    for (qsizetype i = 0; i < deletions.size(); ++i) {
        if (used[i])
            continue;
        if (best < 0 || qAbs(deletions[i]->deleted - movedIn) < qAbs(deletions[best]->deleted - movedIn))
            best = i;
        else if (deletions[i]->deleted > movedIn)
            break; // oldest first: later ones lie only further off
    }
    if (best < 0)
        return nullptr;
    used[best] = true;
    return deletions[best];
}

} // namespace

SambaKnowledge::SambaKnowledge(SambaVolumeSettings settings, LocalTimePacker& times, AuditUserIds& users)
    : m_settings(std::move(settings)), m_times(times), m_users(users)
{}

bool SambaKnowledge::refresh()
{
    if (m_sinceRefresh.isValid() && !m_sinceRefresh.hasExpired(RefreshMilliseconds))
        return false;
    m_sinceRefresh.start();
    readStore();
    // The repository changes without the store (a file deleted since the last reading of the
    // trail), so the entries are made again either way and compared.
    const QList<SalvageableEntry> before = std::exchange(m_deleted, {});
    rebuildDeletedEntries();
    return m_deleted != before;
}

// The store is read again only when a reading of the trail has written to it since.
void SambaKnowledge::readStore()
{
    if (!m_storeOpen)
        m_storeOpen = m_store.openForReading(m_settings.storeFile);
    if (!m_storeOpen)
        return;
    const qint64 version = m_store.dataVersion();
    if (version == m_storeVersion && version >= 0)
        return;
    m_storeVersion = version;
    m_facts = m_store.allFacts();
    m_deletions = m_store.allDeletions();
}

void SambaKnowledge::rebuildDeletedEntries()
{
    m_deleted.clear();
    if (m_settings.share.recycle)
        addRecycledFiles();
    else
        addUnrecycledDeletions();
}

// Each file of the repository is paired with the deletion of its path (its name, without
// keeptree) closest in time; versions of one name pair with its deletions one by one.
void SambaKnowledge::addRecycledFiles()
{
    const bool keepTree = m_settings.share.keepTree;
    QHash<QByteArray, QList<const PathDeletion*>> deletionsByKey;
    for (const PathDeletion& deletion : std::as_const(m_deletions)) {
        if (!deletion.folder)
            deletionsByKey[keepTree ? deletion.path : nameOf(deletion.path)].append(&deletion);
    }
    QHash<QByteArray, QList<bool>> used;
    QList<RecycledFile> files = readRecycleRepository(m_settings.share);
    std::sort(files.begin(), files.end(),
              [](const RecycledFile& a, const RecycledFile& b) { return a.movedIn < b.movedIn; });
    for (const RecycledFile& file : std::as_const(files)) {
        const QByteArray path = file.directory.isEmpty() ? file.name : file.directory + '/' + file.name;
        const QByteArray key = keepTree ? path : file.name;
        const QList<const PathDeletion*>& candidates = deletionsByKey[key];
        QList<bool>& usedOfKey = used[key];
        usedOfKey.resize(candidates.size());
        const PathDeletion* deletion = closestDeletion(candidates, usedOfKey, file.movedIn);
        SalvageableEntry entry;
        entry.directory = keepTree || !deletion ? file.directory : folderOf(deletion->path);
        entry.name = file.name;
        entry.size = file.size;
        entry.deletedDateTime = m_times.pack(deletion ? deletion->deleted : file.movedIn);
        entry.deletorId = deletion              ? m_users.idOf(deletion->deletor)
                          : !file.userFolder.isEmpty() ? m_users.idOf(file.userFolder)
                                                       : objectIdOfUid(file.ownerUid);
        m_deleted.append(entry);
    }
}

// Without a repository nothing can be salvaged, yet the deletion happened: the last deletion of
// each file that is not back is listed, its size unknown.
void SambaKnowledge::addUnrecycledDeletions()
{
    QHash<QByteArray, const PathDeletion*> latest;
    for (const PathDeletion& deletion : std::as_const(m_deletions)) {
        if (!deletion.folder)
            latest.insert(deletion.path, &deletion);
    }
    for (const PathDeletion* deletion : std::as_const(latest)) {
        if (exists(m_settings.share.path + '/' + deletion->path))
            continue;
        m_deleted.append(SalvageableEntry{folderOf(deletion->path), nameOf(deletion->path), 0,
                                          m_times.pack(deletion->deleted), m_users.idOf(deletion->deletor)});
    }
}

void SambaKnowledge::addTo(EntryOverrides& overrides, const QByteArray& key, const FileFacts& file)
{
    const auto found = m_facts.constFind(key);
    if (found == m_facts.cend())
        return;
    const PathFacts& facts = *found;
    if (!facts.creator.isEmpty() && (file.birth < 0 || qAbs(file.birth - facts.created) <= SameChangeSeconds))
        overrides.creator = m_users.idOf(facts.creator);
    const bool modifierHolds = !facts.modifier.isEmpty() && facts.modified >= file.modified - SameChangeSeconds;
    if (modifierHolds)
        overrides.modifier = m_users.idOf(facts.modifier);
    if (!facts.reader.isEmpty())
        overrides.accessed = static_cast<quint16>(m_times.pack(facts.read) >> 16);
    const bool archivedSinceWrite = !facts.archiver.isEmpty() && facts.archived >= facts.modified &&
                                    facts.archived >= file.modified - SameChangeSeconds;
    if (archivedSinceWrite) {
        const std::optional<quint32> attributes = dosAttributesOf(file.path);
        if (attributes && (*attributes & ArchiveAttribute) == 0) {
            overrides.archiver = m_users.idOf(facts.archiver);
            overrides.archived = m_times.pack(facts.archived);
        }
    }
}

std::optional<QString> SambaKnowledge::userName(quint32 objectId) const
{
    return m_users.nameOf(objectId);
}

std::optional<QString> AuditUserIds::nameOf(quint32 objectId) const
{
    const auto name = m_namedOnly.constFind(objectId);
    return name == m_namedOnly.cend() ? std::nullopt : std::optional<QString>(*name);
}

// Samba may write a name in another case than the system's.
quint32 AuditUserIds::idOf(const QByteArray& userName)
{
    const auto known = m_ids.constFind(userName);
    if (known != m_ids.cend())
        return *known;
    const QString name = QString::fromUtf8(userName);
    std::optional<quint32> uid = SystemUserNames::uidOf(name);
    if (!uid)
        uid = SystemUserNames::uidOf(name.toLower());
    quint32 id = 0;
    if (uid) {
        id = objectIdOfUid(*uid);
    } else {
        id = FirstNamedOnlyId + static_cast<quint32>(m_namedOnly.size());
        m_namedOnly.insert(id, name);
    }
    m_ids.insert(userName, id);
    return id;
}

} // namespace corvane
