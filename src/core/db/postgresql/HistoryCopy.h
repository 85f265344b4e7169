#pragma once

#include "core/db/DbResult.h"

#include <QList>
#include <QString>

#include <functional>

namespace corvane {

class AuditDatabase;
class PgConnection;

// How many rows of one audit table a copy brought into the central database.
struct CopiedRows
{
    QString table;
    qint64 rows = 0;
};

// A long copy tells how far it got: report(table, rowsSoFar) after every `every` rows of a table.
struct CopyProgress
{
    qint64 every = 100000;
    std::function<void(const QString& table, qint64 rowsSoFar)> report;
};

// Brings a cv.mdb's history into the central database as the station's rows: every audit table's
// rows not copied before, in rowid order, in one transaction on the station's session (see
// openStationSession). Either all of it is kept, with the record of how far each table got, or
// nothing is.
//
// How far a table got is kept in corvane.copied_history as the last copied rowid together with a
// digest of that row. A later copy goes on after a recorded rowid only while the cv.mdb still
// holds that very row there: rows appended since are copied, while a cv.mdb emptied by Purge All
// or another cv.mdb, whose rowids start again, holds other rows (or none) at that rowid and is
// copied as a history of its own. Rows deleted by the purges of old days leave that row in place.
// A station may so copy several cv.mdb files, each once. sourceName is recorded with the rows for
// the administrator (the file's path).
DbResult<QList<CopiedRows>> copyHistory(AuditDatabase& source, PgConnection& session, const QString& station,
                                        const QString& sourceName, const CopyProgress& progress = {});

} // namespace corvane
