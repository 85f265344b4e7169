#include "core/scan/DailyTally.h"

#include "core/common/UserInterfacePort.h"
#include "core/db/AuditDatabase.h"
#include "core/scan/DetailStretches.h"
#include "core/scan/RunTables.h"

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

struct EventCount
{
    const char16_t* activityColumn;
    const char16_t* table;
    const char16_t* dateColumn;
};

// In the order the DirActivity columns are filled.
constexpr EventCount eventCounts[] = {
    {u"Deleted", u"DeletedFiles", u"Deleted"},    {u"Created", u"NewFiles", u"Created"},
    {u"Modified", u"EditedFiles", u"Edited"},     {u"Opened", u"OpenedFiles", u"Opened"},
    {u"Archived", u"ArchivedFiles", u"Archived"},
};

// The directory is bound, never pasted into the statement, so a name with a quote counts too.
// The half-open day range takes in every event time of the calendar day. The five counts are
// one statement: a central database answers each statement over the network.
void writeActivityRow(DatabaseUpdate& update, RowCounts& counts, RowSet& activity, const QString& directory)
{
    QList<RowCounts::CountOf> eventsOfDay;
    for (const EventCount& event : eventCounts) {
        const QString dateColumn = QString::fromUtf16(event.dateColumn);
        eventsOfDay.append({QString::fromUtf16(event.table),
                            {{dateColumn, Comparison::GreaterOrEqual, update.ScanDate},
                             {dateColumn, Comparison::Less, update.ScanDate.addDays(1)},
                             {u"Directory"_s, Comparison::Equal, directory}}});
    }
    const DbResult<QList<qint64>> counted = counts.countEach(eventsOfDay);
    activity.addNew();
    activity.setField(u"Directory"_s, directory);
    activity.setField(u"SysDate"_s, update.ScanDate);
    for (qsizetype i = 0; counted.ok() && i < counted.value.size(); ++i) {
        if (counted.value[i] != 0)
            activity.setField(QString::fromUtf16(eventCounts[i].activityColumn), counted.value[i]);
    }
    activity.update();
}

} // namespace

void TallyDirectoryActivity(DatabaseUpdate& update)
{
    RowSet* activity = update.tables.dirActivity();
    if (!update.tables.detail() || !activity)
        return;
    RowCounts counts(update.database);
    forEachDirectoryStretch(update, [&](const QString& directory) {
        writeActivityRow(update, counts, *activity, directory);
    });
}

} // namespace corvane
