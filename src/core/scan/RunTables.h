#pragma once

#include "core/db/Conditions.h"
#include "core/db/DbError.h"
#include "core/db/DbResult.h"
#include "core/db/RowSet.h"
#include "core/scan/ScanContext.h"
#include "core/db/DbStatement.h"

#include <QDate>

#include <map>

namespace corvane {

class AuditDatabase;
class StretchRecorder;
class UserInterfacePort;
struct ScanSettings;

// The row sets of one scan run over its connection. Each table's row set is opened only when
// its table option is on, and one that fails to open stays closed: its table gets no rows.
// The snapshot's row set (Temp, in directory order) is opened by the directory comparison.
class RunTables
{
public:
    explicit RunTables(AuditDatabase& database);

    void open(const ScanSettings& settings);
    // The file tables, for the directory scan; null where a row set is not open.
    ScanRowSets scanRowSets();

    // Null when not open.
    RowSet* detail() { return openOrNull(m_detail); }
    RowSet* deletedDirs() { return openOrNull(m_deletedDirs); }
    RowSet* newDirs() { return openOrNull(m_newDirs); }
    RowSet* dirActivity() { return openOrNull(m_dirActivity); }
    RowSet& temp() { return m_temp; }

private:
    static RowSet* openOrNull(RowSet& rows) { return rows.isOpen() ? &rows : nullptr; }

    RowSet m_detail;
    RowSet m_newFiles;
    RowSet m_openedFiles;
    RowSet m_deletedFiles;
    RowSet m_editedFiles;
    RowSet m_archivedFiles;
    RowSet m_deletedDirs;
    RowSet m_newDirs;
    RowSet m_dirActivity;
    RowSet m_temp;
};

// What the bookkeeping after the file scan (the daily tally, the directory comparison and the
// snapshot rebuild) shares with the run.
struct DatabaseUpdate
{
    AuditDatabase& database;
    RunTables& tables;
    QDate ScanDate;
    const bool& StopRequested;
    UserInterfacePort& ui;
    // The stretches of the day's Detail rows as the run appended them; null: read from the table.
    const StretchRecorder* recordedStretches = nullptr;
};

// The conditions on a table's columns as SQL, their values to bind from firstParameter on.
DbResult<BoundConditions> conditionsOn(AuditDatabase& database, const QString& table,
                                       const QList<Condition>& conditions, int firstParameter = 1);
// A statement of the run's own (SQLite's dialect, in the forms both engines take), with its
// values bound from ?1 on.
DbError prepareBound(AuditDatabase& database, DbStatement& statement, const QString& sql,
                     const QVariantList& values);

// COUNT(*) of a table's rows that meet the conditions, their values bound, the statement kept
// prepared for the next call with the same tables, columns and comparisons: the tally counts five
// times per directory, and only its values change.
class RowCounts
{
public:
    struct CountOf
    {
        QString table;
        QList<Condition> conditions;
    };

    explicit RowCounts(AuditDatabase& database) : m_database(database) {}
    DbResult<qint64> count(const QString& table, const QList<Condition>& conditions);
    // Several counts in one statement, in their order: one round trip to a central database
    // where each on its own would take one.
    DbResult<QList<qint64>> countEach(const QList<CountOf>& counts);

private:
    // A statement made for counts of one shape, and the kinds its values are stored in.
    struct PreparedCounts
    {
        DbStatement statement;
        QList<ColumnKind> kinds;
    };

    DbResult<PreparedCounts> prepareCounts(const QList<CountOf>& counts);

    AuditDatabase& m_database;
    std::map<QString, PreparedCounts> m_statements; // by the counts' shape
};

// Appends one row of texts and dates; the error of a row that cannot be stored, which the run
// skips.
DbError storeNewRow(RowSet& rows, const QList<std::pair<QString, QVariant>>& fields);

} // namespace corvane
