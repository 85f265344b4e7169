#pragma once

#include "core/db/DbError.h"
#include "core/sqlite/SqliteStatement.h"

#include <QString>
#include <QVariant>

#include <memory>

namespace corvane {

class AuditDatabase;
class PgStatement;

// How a statement's rows are read from the central database: whole (the program's own
// statements), or a block at a time (a reader's, which may give millions). cv.mdb steps
// through its rows either way.
enum class StatementRows
{
    AllAtOnce,
    InBlocks
};

// One prepared statement of the audit database, whichever engine serves it: cv.mdb's SQLite or
// the central PostgreSQL database. Prepared by AuditDatabase::prepare; parameters are 1-based.
class DbStatement
{
public:
    enum class Step
    {
        Row,
        Done,
        Failed // error() says why
    };

    DbStatement();
    ~DbStatement();
    DbStatement(DbStatement&& other) noexcept;
    DbStatement& operator=(DbStatement&& other) noexcept;

    bool isPrepared() const;
    void finalize();

    void bind(int index, const QVariant& value);
    int parameterCount() const;
    Step step();
    // Steps past every row: Done, or Failed with the error that stopped it.
    Step stepToEnd();
    void reset();
    DbError error() const { return m_error; }

    int columnCount() const;
    QString columnName(int column) const;
    // Texts (dates in their stored ISO form), whole numbers, reals, or null.
    QVariant value(int column) const;

    // For the engine's own use (the insert thread's SQLite appends).
    SqliteStatement* sqlite() { return m_central ? nullptr : &m_sqlite; }

private:
    friend class AuditDatabase;

    const AuditDatabase* m_database = nullptr;
    SqliteStatement m_sqlite;
    std::unique_ptr<PgStatement> m_central;
    DbError m_error;
};

} // namespace corvane
