#pragma once

#include "core/netware/VolumeKnowledge.h"
#include "core/netware/samba/AuditStore.h"
#include "core/netware/samba/SambaVolumeSettings.h"

#include <QElapsedTimer>
#include <QHash>

namespace corvane {

class LocalTimePacker;
struct RecycledFile;

// The IDs of the users the audit records of a server's shares name: a user the system knows is
// its uid + 1, as everywhere on the server; the others are numbered here, once for every share of
// the server, so that an ID names one person on all its volumes.
class AuditUserIds
{
public:
    quint32 idOf(const QByteArray& userName);
    // The name of a user the system does not know.
    std::optional<QString> nameOf(quint32 objectId) const;

private:
    QHash<QByteArray, quint32> m_ids;
    QHash<quint32, QString> m_namedOnly;
};

// What the server knows of a volume taken from a Samba share: the facts its store holds, read
// from the share's audit trail, and the deleted files its recycle repository keeps.
//
// The audit names the person; the file decides whether the record still describes it: a creator
// only where the file was born when the record was written (an older file was merely opened for
// writing), a modifier only where no later change of the file went unrecorded, an archiver only
// where the file's DOS attributes now lack the archive attribute and nothing was written since.
class SambaKnowledge final : public VolumeKnowledge
{
public:
    SambaKnowledge(SambaVolumeSettings settings, LocalTimePacker& times, AuditUserIds& users);

    bool refresh() override;
    void addTo(EntryOverrides& overrides, const QByteArray& key, const FileFacts& file) override;
    const QList<SalvageableEntry>& deletedEntries() const override { return m_deleted; }
    std::optional<QString> userName(quint32 objectId) const override;

private:
    void readStore();
    void rebuildDeletedEntries();
    void addRecycledFiles();
    void addUnrecycledDeletions();

    SambaVolumeSettings m_settings;
    LocalTimePacker& m_times;
    AuditStore m_store;
    bool m_storeOpen = false;
    qint64 m_storeVersion = -1;
    QElapsedTimer m_sinceRefresh;
    QHash<QByteArray, PathFacts> m_facts;
    QList<PathDeletion> m_deletions; // oldest first
    QList<SalvageableEntry> m_deleted;
    AuditUserIds& m_users;
};

} // namespace corvane
