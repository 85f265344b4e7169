#include "core/db/QueryCursor.h"

#include "core/db/AuditTables.h"

namespace corvane {

QueryCursor::QueryCursor(AuditDatabase& database) : m_database(database) {}

QueryCursor::~QueryCursor()
{
    close();
}

DbError QueryCursor::open(const QString& jetStatement)
{
    close();
    m_error = m_database.prepareJet(m_statement, jetStatement, StatementRows::InBlocks);
    if (m_error.isError())
        return m_error;
    m_database.addStatementOwner(this);
    for (int i = 0; i < m_statement.columnCount(); ++i) {
        const QString name = m_statement.columnName(i);
        m_fieldNames.append(m_database.isCentral() ? auditColumnSpelling(name) : name);
    }
    return {};
}

void QueryCursor::close()
{
    releaseStatements();
    m_database.removeStatementOwner(this);
}

void QueryCursor::releaseStatements()
{
    m_statement.finalize();
    m_fieldNames.clear();
    m_atRow = false;
}

bool QueryCursor::next()
{
    if (!m_statement.isPrepared())
        return false;
    const DbStatement::Step step = m_statement.step();
    m_atRow = step == DbStatement::Step::Row;
    if (m_atRow)
        return true;
    if (step == DbStatement::Step::Failed)
        m_error = m_statement.error();
    // Finalized at the end, so that no lock outlives the rows and a further next() stays false.
    m_statement.finalize();
    return false;
}

QVariantList QueryCursor::values() const
{
    QVariantList row;
    if (!m_atRow)
        return row;
    row.reserve(m_fieldNames.size());
    for (int i = 0; i < m_fieldNames.size(); ++i)
        row.append(m_statement.value(i));
    return row;
}

} // namespace corvane
