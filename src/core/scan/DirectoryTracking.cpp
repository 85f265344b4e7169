#include "core/scan/DirectoryTracking.h"

#include "core/common/UserInterfacePort.h"
#include "core/db/AuditDatabase.h"
#include "core/scan/DetailStretches.h"
#include "core/scan/RunTables.h"

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

// Directory texts are bound as parameters: a name with a quote compares like any other.
bool hasActivityOnScanDate(DatabaseUpdate& update, const QString& directory)
{
    const DbResult<qint64> count =
        update.database.countRows(u"DirActivity"_s, {{u"SysDate"_s, Comparison::Equal, update.ScanDate},
                                                     {u"Directory"_s, Comparison::Equal, directory}});
    // A count that cannot be made skips the directory.
    return !count.ok() || count.value != 0;
}

bool isInSnapshot(DatabaseUpdate& update, const QString& directory)
{
    const DbResult<qint64> count =
        update.database.countRows(u"Temp"_s, {{u"Directory"_s, Comparison::Equal, directory}});
    return !count.ok() || count.value != 0;
}

void recordDeletedDirectories(DatabaseUpdate& update, RowSet& snapshot, RowSet& deletedDirs)
{
    for (DbError error = snapshot.moveFirst(); !error.isError() && !snapshot.isEof();
         error = snapshot.moveNext()) {
        if (update.StopRequested)
            return;
        update.ui.yield();
        const QString directory = snapshot.value(u"Directory"_s).toString();
        if (!hasActivityOnScanDate(update, directory))
            storeNewRow(deletedDirs, {{u"Directory"_s, directory}, {u"Deleted"_s, update.ScanDate}});
    }
}

// Only the DirActivity rows of the scan date: a directory seen on earlier days is not
// reported again every day.
void recordNewDirectories(DatabaseUpdate& update, RowSet& activity, RowSet& newDirs)
{
    const Condition onScanDate{u"SysDate"_s, Comparison::Equal, update.ScanDate};
    for (DbError error = moveToFirstMatch(update.database, activity, u"DirActivity"_s, onScanDate);
         !error.isError() && !activity.isEof(); error = activity.moveNext()) {
        if (activity.value(u"SysDate"_s).toDate() != update.ScanDate)
            continue;
        if (update.StopRequested)
            return;
        update.ui.yield();
        const QString directory = activity.value(u"Directory"_s).toString();
        if (!isInSnapshot(update, directory))
            storeNewRow(newDirs, {{u"Directory"_s, directory}, {u"Created"_s, update.ScanDate}});
    }
}

} // namespace

void CompareDirectories(DatabaseUpdate& update)
{
    RowSet& snapshot = update.tables.temp();
    if (snapshot.open(u"Temp"_s, u"Directory"_s).isError() || snapshot.isEof())
        return;
    const QDate taken = snapshot.value(u"Date"_s).toDate();
    if (!taken.isValid() || taken >= update.ScanDate)
        return;
    if (RowSet* deletedDirs = update.tables.deletedDirs())
        recordDeletedDirectories(update, snapshot, *deletedDirs);
    RowSet* activity = update.tables.dirActivity();
    if (RowSet* newDirs = update.tables.newDirs(); newDirs && activity)
        recordNewDirectories(update, *activity, *newDirs);
}

void RebuildSnapshot(DatabaseUpdate& update)
{
    RowSet* detail = update.tables.detail();
    if (!detail || !moveToScanDate(update, *detail))
        return;
    update.database.execute(u"DELETE * FROM Temp"_s);
    RowSet& snapshot = update.tables.temp();
    if (!snapshot.isOpen())
        return;
    walkDirectoryStretches(update, *detail, [&](const QString& directory) {
        storeNewRow(snapshot, {{u"Directory"_s, directory}, {u"Date"_s, update.ScanDate}});
    });
}

} // namespace corvane
