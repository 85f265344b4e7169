#pragma once

#include "core/db/AuditDatabase.h"
#include "core/db/Conditions.h"
#include "core/db/DbError.h"
#include "core/db/DbResult.h"
#include "core/db/InsertThread.h"
#include "core/db/DbStatement.h"
#include "core/db/StoredRow.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace corvane {

class PgCopyWriter;

// A cursor over one table of cv.mdb, the recordset of the scan run: DetailRs is
// RowSet over "Detail", TempRs over "Temp" ordered by "Directory".
//
// Rows are read in table order: the order in which they were appended, or the order
// column (text without regard to case) and then append order. Only the current row is
// held; each move is one indexed query from the current row's key, so a row set never
// loads its table, holds no lock between moves, and sees the rows appended through it or
// through other row sets of the same connection at their place. Appends use one
// prepared INSERT per row set on cv.mdb, the run's COPY on the central database; columns not
// set stay NULL; they belong to the caller's transaction (on the central database they must
// have one). Column names match without regard to case.
class RowSet final : public StatementOwner
{
public:
    using Bookmark = qint64;

    explicit RowSet(AuditDatabase& database);
    ~RowSet();
    RowSet(const RowSet&) = delete;
    RowSet& operator=(const RowSet&) = delete;

    // Opens on the first row (at the end when the table is empty).
    DbError open(const QString& table, const QString& orderColumn = {});
    void close();
    bool isOpen() const { return m_open; }
    QStringList fieldNames() const { return m_layout.columns; }

    // A new row: set its fields, then update() appends it and makes it the current row.
    void addNew();
    // Converts the value to the column's stored form (see StoredValues); a value that does
    // not convert leaves the column empty and reports a type mismatch.
    // While appends go on in the background (AuditDatabase::InsertsInBackground), the row is
    // stored there: a failed append is not reported, and the appended row becomes the current
    // one once it is in.
    DbError setField(const QString& column, const QVariant& value);
    // The same for a text, without a QVariant made of it: the scan sets several texts a row.
    DbError setField(const QString& column, const QString& text);
    DbError update();

    DbError moveFirst();
    DbError moveNext();
    DbError moveLast();
    bool isEof() const
    {
        settleAppends();
        return m_eof;
    }
    // The current row's value; dates as QDate or QDateTime, null when unset or at the end.
    QVariant value(const QString& column) const;

    // Searches forward from the current row, the current row included, for the first row
    // that meets the condition (see Conditions.h); at the end when none does.
    DbError find(const Condition& condition);

    DbResult<qint64> rowCount();
    std::optional<Bookmark> bookmark() const;
    DbError moveToBookmark(Bookmark bookmark);

    void releaseStatements() override;

private:
    enum class From
    {
        Start,
        AfterCurrent,
        AtCurrent
    };

    QString selectRows(From from, const QString& condition = {}, bool descending = false) const;
    QString positionCondition(From from) const;
    DbStatement* statement(const QString& sql, DbError& error);
    DbError prepareInsert();
    DbError appendPending();
    DbError loadRow(const QString& sql, const QVariantList& parameters);
    QVariantList positionParameters() const;
    int columnIndex(const QString& column);
    template <typename Value>
    DbError setPendingField(const QString& column, const Value& value);
    void settleAppends() const;

    AuditDatabase& m_database;
    bool m_open = false;
    TableLayout m_layout;
    int m_orderIndex = -1;
    // Column indexes by the caller's exact spelling: appends set the same names row after row.
    QHash<QString, int> m_columnIndexes;
    // The same for names written as literals, found by the address of their text, which lives as
    // long as the program: the scan's appends need no hashing of the name.
    struct LiteralColumn
    {
        const QChar* text;
        qsizetype size;
        int index;
    };
    std::vector<LiteralColumn> m_literalColumns;
    std::map<QString, DbStatement> m_statements;
    DbStatement m_insert;
    std::unique_ptr<PgCopyWriter> m_copy;

    // The current row. Appends stepped in the background make their last row current once they
    // are in, which the readers of the current row wait for.
    mutable bool m_eof = true;
    mutable qint64 m_rowid = 0;
    mutable QVariantList m_values;
    mutable AppendedRow m_appended;

    bool m_adding = false;
    StoredRow m_pending;
};

} // namespace corvane
