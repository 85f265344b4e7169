#pragma once

#include "core/db/DbError.h"
#include "core/db/DbResult.h"

#include <QList>
#include <QString>
#include <QVariantList>

#include <vector>

namespace corvane {

class AuditDatabase;
class SqliteStatement;
struct JetTranslation;

// The rows of one statement, read by position a block at a time. Each read is its own short
// statement: none stays open between two reads, because an open one would hold a read lock on
// cv.mdb and keep a scan run from committing its rows.
//
// A sorted statement over one table is sorted once: its rows' rowids are kept in the sorted
// order (8 bytes a row) and a block is read by rowid, so any block costs as little as the
// first. Other statements, and sorted results too long to keep, are read with LIMIT and
// OFFSET, which runs the statement, and so its sort, up to the block again.
//
// On the central database, whose server counts millions of rows in about a second and longer
// while stations write, open() counts no further than the first rows: a longer result's count
// is then pending, for the caller to have it counted elsewhere (countRowsOf, RowCountInBackground)
// and handed in with setCountedRows().
class QueryPages
{
public:
    // The most rows whose rowids are kept.
    static constexpr qsizetype rowKeysAtMost = qsizetype(4) * 1024 * 1024;
    // How far open() counts on the central database.
    static constexpr qint64 rowsCountedAtOpen = 1000;

    explicit QueryPages(const AuditDatabase& database) : m_database(&database) {}

    // Runs the translated statement to count its rows, and for a sorted one over one table to
    // keep their order. On failure the pages stay as they were.
    DbError open(const JetTranslation& translation);
    qint64 rowCount() const { return m_rowCount; }
    // Whether rowCount() is only the rows counted at open(), the result going on beyond them.
    bool countPending() const { return m_countPending; }
    // The statement to count (countRowsOf) while the count is pending.
    QString sql() const { return m_sql; }
    void setCountedRows(qint64 rows);
    // Whether the order was kept at open(), so that every block reads by rowid.
    bool readsByRowKey() const { return !m_rowKeyedSql.isEmpty(); }
    // Rows firstRow onwards, at most `rows` of them, each with every column of the statement.
    // A row gone from the table since open() reads as an empty list.
    QList<QVariantList> read(qint64 firstRow, int rows) const;

private:
    DbError countFirstRows();
    // false, keeping nothing, when the statement fails or gives too many rows.
    bool keepRowKeys(const QString& rowKeyedSql);
    QList<QVariantList> readByPosition(qint64 firstRow, int rows) const;
    QList<QVariantList> readByRowKey(qint64 firstRow, int rows) const;

    const AuditDatabase* m_database;
    QString m_sql;
    QString m_rowKeyedSql;         // set while rows are read by rowid
    std::vector<qint64> m_rowKeys; // the rowid of every row, in the statement's order
    qint64 m_rowCount = 0;
    bool m_countPending = false;
};

// COUNT(*) of a statement's rows.
DbResult<qint64> countRowsOf(const AuditDatabase& database, const QString& sql);

} // namespace corvane
