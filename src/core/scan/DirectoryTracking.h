#pragma once

#include "core/db/DbError.h"

#include <QDate>

namespace corvane {

class AuditDatabase;
class UserInterfacePort;
struct DatabaseUpdate;

// The directory snapshot (Temp) holds the directories of the last scan day. When it was taken
// on an earlier day, the comparison records every snapshot directory without a DirActivity row
// of the scan date in DeletedDirs, and every directory of the scan date's DirActivity rows
// missing from the snapshot in NewDirs. Opens the snapshot's row set; each pass runs only when
// its table's row set is open, and ends early on a stop request.
void CompareDirectories(DatabaseUpdate& update);

// Replaces the snapshot by the directories of the scan date's Detail rows, one row per stretch
// of one directory, when the Detail table has rows of the scan date; otherwise the snapshot
// stays. Rows are added only while the snapshot's row set is open (the DirActivity option).
void RebuildSnapshot(DatabaseUpdate& update);

// Once the rows of day are purged, a snapshot taken on day (or later) goes back to what the
// day's first run compared with: the directories of the latest earlier day's Detail rows, by the
// rebuild's rule, or none when no earlier day has rows. A snapshot of an earlier day is the one
// the day's runs compared with, and stays. Returns the first error; the caller rolls back.
DbError RestoreSnapshotBefore(AuditDatabase& database, const QDate& day, UserInterfacePort& ui);

} // namespace corvane
