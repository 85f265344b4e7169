#pragma once

#include "core/db/DbError.h"
#include "core/db/DbStatement.h"
#include "core/db/postgresql/PgConnection.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace corvane {

// One statement on the central database, written as it is for cv.mdb: parameters as ?, ?1,
// ?2 (PostgreSQL's $1, $2 here), names unquoted or quoted in lower case. The first step() sends
// it with the values bound. The program's own statements (a row, a count, one day's rows) come
// back whole; a reader's statement, which may give millions of rows, is read through a cursor a
// block at a time, so only a block is held. Values read as SQLite's do: whole numbers as 64-bit
// integers, reals as doubles, dates in their stored ISO text, Jet's True as -1.
class PgStatement
{
public:
    using Step = DbStatement::Step;
    static constexpr int rowsPerBlock = 1000;

    PgStatement(PgConnection& connection, const QString& sql, StatementRows rows = StatementRows::AllAtOnce);
    ~PgStatement();
    PgStatement(const PgStatement&) = delete;
    PgStatement& operator=(const PgStatement&) = delete;

    void bind(int index, const QVariant& value);
    QString sql() const { return m_sql; }
    int parameterCount() const { return static_cast<int>(m_slots.size()); }
    Step step();
    DbError error() const { return m_result.error; }
    void reset();

    // Asks the server what the statement gives without running it: the error of a statement
    // that cannot run, as SQLite reports it when preparing.
    DbError describe() const { return columns().error; }
    // Known before the first step, as SQLite knows them once prepared.
    int columnCount() const { return columns().columnCount(); }
    QString columnName(int column) const { return columns().columnName(column); }
    QVariant value(int column) const;

private:
    const PgResult& columns() const;
    bool send();
    bool fetchBlock();
    void closeCursor();

    PgConnection& m_connection;
    QString m_sql;
    StatementRows m_rows;
    QString m_cursor; // the cursor's name while one is open
    QList<int> m_slots; // by the parameter's number, the place it is sent in (0: not sent)
    QList<QVariant> m_parameters;
    PgResult m_result;
    mutable PgResult m_description;
    bool m_sent = false;
    bool m_lastBlock = false;
    int m_row = -1;
};

// The statement with SQLite's parameters (?, ?NNN) as PostgreSQL's ($N), outside quotes and
// comments; slots holds, for each number up to the highest, the $N it became (0: not used).
QString withNumberedParameters(const QString& sql, QList<int>& slots);

} // namespace corvane
