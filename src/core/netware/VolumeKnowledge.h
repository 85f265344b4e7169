#pragma once

#include "core/netware/VolumeMetadata.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace corvane {

// The status of a live file that decides whether a server's knowledge of it still holds.
struct FileFacts
{
    QByteArray path;        // on disk
    qint64 birth = -1;      // seconds since the epoch; -1 where the file system keeps none
    qint64 modified = 0;
};

// What a volume's server knows of its entries beyond the files and the metadata file, learned
// from somewhere else (a Samba share's audit trail and recycle repository). The metadata file's
// entries still override it.
class VolumeKnowledge
{
public:
    virtual ~VolumeKnowledge() = default;

    // Reads again what changed since the last time; true when the deleted entries changed.
    virtual bool refresh() = 0;
    // Fills in what is known of the live entry at key (its path from the volume's top).
    virtual void addTo(EntryOverrides& overrides, const QByteArray& key, const FileFacts& file) = 0;
    virtual const QList<SalvageableEntry>& deletedEntries() const = 0;
    // Names of users the server knows only by name.
    virtual std::optional<QString> userName(quint32 objectId) const = 0;
};

} // namespace corvane
