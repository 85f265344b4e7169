#include "core/scan/DetailStretches.h"

#include "core/common/UserInterfacePort.h"
#include "core/db/AuditDatabase.h"
#include "core/scan/RunTables.h"

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

DbResult<BoundConditions> onScanDate(DatabaseUpdate& update, Comparison comparison, int firstParameter)
{
    return conditionsOn(update.database, u"Detail"_s, {{u"SysDate"_s, comparison, update.ScanDate}},
                        firstParameter);
}

// The first column of the first row, as a rowid; nullopt for none.
std::optional<qint64> firstRowid(AuditDatabase& database, const QString& sql, const QVariantList& values)
{
    DbStatement statement;
    if (prepareBound(database, statement, sql, values).isError() || statement.step() != DbStatement::Step::Row ||
        statement.value(0).isNull())
        return std::nullopt;
    return statement.value(0).toLongLong();
}

} // namespace

std::optional<qint64> findFirstScanDateRow(DatabaseUpdate& update)
{
    const DbResult<BoundConditions> onOrAfter = onScanDate(update, Comparison::GreaterOrEqual, 1);
    const DbResult<BoundConditions> onDay = onScanDate(update, Comparison::Equal, 2);
    if (!onOrAfter.ok() || !onDay.ok())
        return std::nullopt;
    // min(+rowid), not min(rowid): SQLite answers the latter by walking the table in rowid order
    // from the oldest row until one meets the condition, through the whole history.
    const std::optional<qint64> first =
        firstRowid(update.database, u"SELECT min(+rowid) FROM Detail WHERE "_s + onOrAfter.value.sql,
                   onOrAfter.value.values);
    if (!first ||
        !firstRowid(update.database, u"SELECT rowid FROM Detail WHERE rowid = ?1 AND "_s + onDay.value.sql,
                    QVariantList{*first} + onDay.value.values))
        return std::nullopt;
    return first;
}

void walkDirectoryStretches(DatabaseUpdate& update, qint64 firstRow,
                            const std::function<void(const QString& directory)>& onStretch)
{
    const DbResult<BoundConditions> onDay = onScanDate(update, Comparison::Equal, 2);
    DbStatement rows;
    if (!onDay.ok() || prepareBound(update.database, rows,
                                    u"SELECT coalesce(Directory, ''), CASE WHEN "_s + onDay.value.sql +
                                        u" THEN 1 ELSE 0 END FROM Detail WHERE rowid >= ?1 ORDER BY rowid"_s,
                                    QVariantList{firstRow} + onDay.value.values)
                           .isError())
        return;
    QString previous;
    while (rows.step() == DbStatement::Step::Row && rows.value(1).toInt() == 1) {
        const QString directory = rows.value(0).toString();
        if (directory == previous)
            continue;
        if (update.StopRequested)
            return;
        update.ui.yield();
        onStretch(directory);
        previous = directory;
    }
}

bool hasDetailRowsFrom(DatabaseUpdate& update)
{
    const DbResult<BoundConditions> onOrAfter = onScanDate(update, Comparison::GreaterOrEqual, 1);
    // A check that cannot be made counts as rows: the day is then read back.
    return !onOrAfter.ok() ||
           firstRowid(update.database, u"SELECT 1 FROM Detail WHERE "_s + onOrAfter.value.sql + u" LIMIT 1"_s,
                      onOrAfter.value.values)
               .has_value();
}

void StretchRecorder::add(const QString& directory)
{
    m_anyRow = true;
    if (directory == m_previous || m_overflowed)
        return;
    if (m_directories.size() >= MostStretches) {
        m_overflowed = true;
        m_directories.clear();
        return;
    }
    m_directories.append(directory);
    m_previous = directory;
}

bool forEachDirectoryStretch(DatabaseUpdate& update, const std::function<void(const QString& directory)>& onStretch)
{
    if (const StretchRecorder* recorded = update.recordedStretches) {
        if (!recorded->anyRow())
            return false;
        for (const QString& directory : recorded->directories()) {
            if (update.StopRequested)
                break;
            update.ui.yield();
            onStretch(directory);
        }
        return true;
    }
    const std::optional<qint64> firstRow = findFirstScanDateRow(update);
    if (!firstRow)
        return false;
    walkDirectoryStretches(update, *firstRow, onStretch);
    return true;
}

} // namespace corvane
