#pragma once

#include "core/db/AuditDatabase.h"
#include "core/db/DbError.h"
#include "core/db/DbStatement.h"

#include <QStringList>
#include <QVariant>

namespace corvane {

// Reads the rows of any statement once, forward, one row at a time: `cv --query`, the CSV
// and clipboard output and the charts. Nothing but the current row is held in memory.
// Values come as SQLite gives them: texts (dates in their stored ISO form), whole numbers,
// reals, null; the central database's alike. Field names of the audit tables are spelt as in
// cv.mdb on either.
class QueryCursor final : public StatementOwner
{
public:
    explicit QueryCursor(AuditDatabase& database);
    ~QueryCursor();
    QueryCursor(const QueryCursor&) = delete;
    QueryCursor& operator=(const QueryCursor&) = delete;

    // Translates and prepares the statement; the first next() runs it.
    DbError open(const QString& jetStatement);
    void close();

    QStringList fieldNames() const { return m_fieldNames; }
    // Moves to the next row: false at the end, or when reading failed (see error()).
    bool next();
    QVariant value(int field) const { return m_statement.value(field); }
    QVariantList values() const;
    DbError error() const { return m_error; }

    void releaseStatements() override;

private:
    AuditDatabase& m_database;
    DbStatement m_statement;
    QStringList m_fieldNames;
    bool m_atRow = false;
    DbError m_error;
};

} // namespace corvane
