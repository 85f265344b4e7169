#pragma once

#include "core/netware/samba/AuditRecord.h"
#include "core/netware/samba/AuditStore.h"
#include "core/netware/samba/SambaVolumeSettings.h"

#include <QStringList>

#include <functional>

namespace corvane {

// What one reading of a volume's audit trail found.
struct AuditReading
{
    qint64 records = 0;  // records that taught the server something, as kept in the store
    qint64 unreadable = 0; // cut or garbled lines, skipped
    qint64 foreign = 0;  // lines of other programs and other messages, passed over
    QStringList problems; // sources that could not be read, records lost, a store set aside

    // How the logs' text was cut into lines.
    qint64 overlong = 0; // lines (or messages of smbd's log) longer than any record, skipped

    // Whom the records name.
    qint64 ambiguousRenames = 0;   // renames read more than one way, their histories dropped
    qint64 notFromSmbd = 0;        // journal records of other programs under smbd's identifier
    QStringList warnings;          // settings under which a record's user proves no one

    QString summary(const QString& volume) const;
};

using AuditProgress = std::function<void(const QString& text)>;

// Reads the records a volume's sources gained since the last reading into its store, so that
// every record is read once: files are followed by identity and offset across renames by
// logrotate (the renamed file is read to its end first) and truncation, the journal by cursor.
// Readers of the same store take turns.
AuditReading readAuditTrail(const QString& volumeName, const SambaVolumeSettings& settings,
                            const AuditProgress& progress = {});

} // namespace corvane
