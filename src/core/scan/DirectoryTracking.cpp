#include "core/scan/DirectoryTracking.h"

#include "core/common/UserInterfacePort.h"
#include "core/db/AuditDatabase.h"
#include "core/scan/DetailStretches.h"
#include "core/scan/RunTables.h"

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

// Directory texts are bound as parameters: a name with a quote compares like any other.
bool hasActivityOnScanDate(DatabaseUpdate& update, RowCounts& counts, const QString& directory)
{
    const DbResult<qint64> count =
        counts.count(u"DirActivity"_s, {{u"SysDate"_s, Comparison::Equal, update.ScanDate},
                                        {u"Directory"_s, Comparison::Equal, directory}});
    // A count that cannot be made skips the directory.
    return !count.ok() || count.value != 0;
}

bool isInSnapshot(RowCounts& counts, const QString& directory)
{
    const DbResult<qint64> count = counts.count(u"Temp"_s, {{u"Directory"_s, Comparison::Equal, directory}});
    return !count.ok() || count.value != 0;
}

void recordDeletedDirectories(DatabaseUpdate& update, RowCounts& counts, RowSet& snapshot,
                              RowSet& deletedDirs)
{
    for (DbError error = snapshot.moveFirst(); !error.isError() && !snapshot.isEof();
         error = snapshot.moveNext()) {
        if (update.StopRequested)
            return;
        update.ui.yield();
        const QString directory = snapshot.value(u"Directory"_s).toString();
        if (!hasActivityOnScanDate(update, counts, directory))
            storeNewRow(deletedDirs, {{u"Directory"_s, directory}, {u"Deleted"_s, update.ScanDate}});
    }
}

// Only the DirActivity rows of the scan date: a directory seen on earlier days is not
// reported again every day.
void recordNewDirectories(DatabaseUpdate& update, RowCounts& counts, RowSet& newDirs)
{
    const DbResult<BoundConditions> onScanDate =
        conditionsOn(update.database, u"DirActivity"_s, {{u"SysDate"_s, Comparison::Equal, update.ScanDate}});
    DbStatement directories;
    if (!onScanDate.ok() || prepareBound(update.database, directories,
                                         u"SELECT Directory FROM DirActivity WHERE "_s +
                                             onScanDate.value.sql + u" ORDER BY rowid"_s,
                                         onScanDate.value.values)
                                .isError())
        return;
    while (directories.step() == DbStatement::Step::Row) {
        if (update.StopRequested)
            return;
        update.ui.yield();
        const QString directory = directories.value(0).toString();
        if (!isInSnapshot(counts, directory))
            storeNewRow(newDirs, {{u"Directory"_s, directory}, {u"Created"_s, update.ScanDate}});
    }
}

// The latest day before the given one with Detail rows, through the SysDate index; null when none.
DbResult<QDate> latestDetailDayBefore(AuditDatabase& database, const QDate& day)
{
    const DbResult<BoundConditions> before =
        conditionsOn(database, u"Detail"_s, {{u"SysDate"_s, Comparison::Less, day}});
    if (!before.ok())
        return {{}, before.error};
    DbStatement statement;
    const DbError error =
        prepareBound(database, statement,
                     u"SELECT SysDate FROM Detail WHERE "_s + before.value.sql + u" ORDER BY SysDate DESC LIMIT 1"_s,
                     before.value.values);
    if (error.isError())
        return {{}, error};
    const DbStatement::Step step = statement.step();
    if (step == DbStatement::Step::Done)
        return {};
    if (step == DbStatement::Step::Failed)
        return {{}, statement.error()};
    return {QDate::fromString(statement.value(0).toString().left(10), Qt::ISODate), {}};
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
    RowCounts counts(update.database);
    if (RowSet* deletedDirs = update.tables.deletedDirs())
        recordDeletedDirectories(update, counts, snapshot, *deletedDirs);
    if (RowSet* newDirs = update.tables.newDirs(); newDirs && update.tables.dirActivity())
        recordNewDirectories(update, counts, *newDirs);
}

void RebuildSnapshot(DatabaseUpdate& update)
{
    if (!update.tables.detail())
        return;
    RowSet& snapshot = update.tables.temp();
    bool emptied = false;
    // The old snapshot goes once the day is known to have rows, before the first is stored.
    const auto emptyOnce = [&] {
        if (!emptied)
            update.database.execute(u"DELETE * FROM Temp"_s);
        emptied = true;
    };
    const bool dayHasRows = forEachDirectoryStretch(update, [&](const QString& directory) {
        emptyOnce();
        if (snapshot.isOpen())
            storeNewRow(snapshot, {{u"Directory"_s, directory}, {u"Date"_s, update.ScanDate}});
    });
    if (dayHasRows)
        emptyOnce();
}

DbError RestoreSnapshotBefore(AuditDatabase& database, const QDate& day, UserInterfacePort& ui)
{
    const DbResult<qint64> takenOnDay =
        database.countRows(u"Temp"_s, {{u"Date"_s, Comparison::GreaterOrEqual, day}});
    if (!takenOnDay.ok() || takenOnDay.value == 0)
        return takenOnDay.error;
    if (const DbError error = database.execute(u"DELETE * FROM Temp"_s); error.isError())
        return error;
    const DbResult<QDate> earlier = latestDetailDayBefore(database, day);
    if (!earlier.ok() || !earlier.value.isValid())
        return earlier.error;
    RunTables tables(database);
    const bool noStop = false;
    DatabaseUpdate update{database, tables, earlier.value, noStop, ui};
    const std::optional<qint64> firstRow = findFirstScanDateRow(update);
    RowSet& snapshot = tables.temp();
    DbError failed = snapshot.open(u"Temp"_s);
    if (!firstRow || failed.isError())
        return failed;
    walkDirectoryStretches(update, *firstRow, [&](const QString& directory) {
        if (!failed.isError())
            failed = storeNewRow(snapshot, {{u"Directory"_s, directory}, {u"Date"_s, update.ScanDate}});
    });
    return failed;
}

} // namespace corvane
