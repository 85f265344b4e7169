#include "core/db/DbStatement.h"

#include "core/db/AuditDatabase.h"
#include "core/db/postgresql/PgStatement.h"

#include <sqlite3.h>

namespace corvane {

DbStatement::DbStatement() = default;
DbStatement::~DbStatement() = default;
DbStatement::DbStatement(DbStatement&& other) noexcept = default;
DbStatement& DbStatement::operator=(DbStatement&& other) noexcept = default;

bool DbStatement::isPrepared() const
{
    return m_central != nullptr || m_sqlite.isPrepared();
}

void DbStatement::finalize()
{
    m_sqlite.finalize();
    m_central.reset();
}

void DbStatement::bind(int index, const QVariant& value)
{
    if (m_central)
        m_central->bind(index, value);
    else
        m_sqlite.bind(index, value);
}

int DbStatement::parameterCount() const
{
    return m_central ? m_central->parameterCount() : m_sqlite.parameterCount();
}

DbStatement::Step DbStatement::step()
{
    if (m_central) {
        m_database->readyForStatement(m_central->sql());
        const Step step = m_central->step();
        if (step == Step::Failed)
            m_error = m_database->failedStatement(m_central->error());
        return step;
    }
    switch (const int rc = m_sqlite.step()) {
    case SQLITE_ROW:
        return Step::Row;
    case SQLITE_DONE:
        return Step::Done;
    default:
        m_error = m_database->errorOf(rc);
        return Step::Failed;
    }
}

DbStatement::Step DbStatement::stepToEnd()
{
    Step step = Step::Row;
    while ((step = this->step()) == Step::Row) {
    }
    return step;
}

void DbStatement::reset()
{
    if (m_central)
        m_central->reset();
    else
        m_sqlite.reset();
}

int DbStatement::columnCount() const
{
    return m_central ? m_central->columnCount() : m_sqlite.columnCount();
}

QString DbStatement::columnName(int column) const
{
    return m_central ? m_central->columnName(column) : m_sqlite.columnName(column);
}

QVariant DbStatement::value(int column) const
{
    return m_central ? m_central->value(column) : m_sqlite.value(column);
}

} // namespace corvane
