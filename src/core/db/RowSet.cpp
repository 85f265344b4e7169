#include "core/db/RowSet.h"

#include "core/db/SqliteErrors.h"
#include "core/db/postgresql/PgCopyWriter.h"

#include <sqlite3.h>

#include <utility>

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

QString quotedColumnList(const QStringList& columns)
{
    QStringList quoted;
    for (const QString& column : columns)
        quoted.append(quotedIdentifier(column));
    return quoted.join(u", "_s);
}

} // namespace

RowSet::RowSet(AuditDatabase& database) : m_database(database) {}

RowSet::~RowSet()
{
    close();
}

DbError RowSet::open(const QString& table, const QString& orderColumn)
{
    close();
    DbResult<TableLayout> layout = m_database.tableLayout(table);
    if (!layout.ok())
        return layout.error;
    m_layout = layout.value;
    m_columnIndexes.clear();
    m_literalColumns.clear();
    m_orderIndex = orderColumn.isEmpty() ? -1 : m_layout.indexOf(orderColumn);
    if (!orderColumn.isEmpty() && m_orderIndex < 0)
        return itemNotFoundError(orderColumn);
    m_open = true;
    m_database.addStatementOwner(this);
    const DbError error = moveFirst();
    if (error.isError())
        close();
    return error;
}

void RowSet::close()
{
    releaseStatements();
    m_database.removeStatementOwner(this);
}

void RowSet::releaseStatements()
{
    m_database.settleInserts();
    m_statements.clear();
    m_insert.finalize();
    m_copy.reset();
    m_open = false;
    m_eof = true;
    m_values.clear();
    m_adding = false;
    m_pending = {};
    m_appended = {};
}

// The pending row reuses the buffers of a row appended before: appends allocate nothing.
void RowSet::addNew()
{
    m_adding = true;
    m_pending.reset(m_layout.columns.size());
}

DbError RowSet::setField(const QString& column, const QVariant& value)
{
    return setPendingField(column, value);
}

DbError RowSet::setField(const QString& column, const QString& text)
{
    return setPendingField(column, text);
}

template <typename Value>
DbError RowSet::setPendingField(const QString& column, const Value& value)
{
    if (!m_adding)
        return notAllowedInContextError();
    const int index = columnIndex(column);
    if (index < 0)
        return itemNotFoundError(column);
    if (!m_pending.set(index, value, m_layout.kinds[index]))
        return {DbErrorNumber::TypeMismatch, u"Data type mismatch: the value cannot be stored in column '"_s +
                                                 m_layout.columns[index] + u"'."_s};
    return {};
}

DbError RowSet::update()
{
    if (!m_open)
        return closedError();
    if (!m_adding)
        return notAllowedInContextError();
    m_adding = false;
    if (const DbError error = prepareInsert(); error.isError())
        return error;
    if (InsertThread* inserts = m_database.insertThread()) {
        StoredRow row = std::exchange(m_pending, inserts->spareRow());
        inserts->add(PendingInsert{m_insert.sqlite(), m_copy.get(), std::move(row), &m_appended});
        return {};
    }
    if (const DbError lost = m_database.lostTransaction(); lost.isError())
        return lost;
    if (const DbError error = appendPending(); error.isError()) {
        m_database.countLostRow(error);
        return error;
    }
    m_values = m_pending.values();
    m_eof = false;
    return {};
}

DbError RowSet::appendPending()
{
    if (m_copy) {
        m_rowid = AppendedRow::unknownRowid;
        return m_copy->append(m_pending.values());
    }
    m_pending.bindTo(*m_insert.sqlite());
    const DbStatement::Step step = m_insert.step();
    m_insert.reset();
    if (step != DbStatement::Step::Done)
        return m_insert.error();
    m_rowid = sqlite3_last_insert_rowid(m_database.handle());
    return {};
}

DbError RowSet::moveFirst()
{
    settleAppends();
    if (!m_open)
        return closedError();
    return loadRow(selectRows(From::Start), {});
}

DbError RowSet::moveNext()
{
    settleAppends();
    if (!m_open)
        return closedError();
    if (m_eof)
        return noCurrentRowError();
    return loadRow(selectRows(From::AfterCurrent), positionParameters());
}

DbError RowSet::moveLast()
{
    settleAppends();
    if (!m_open)
        return closedError();
    return loadRow(selectRows(From::Start, {}, true), {});
}

QVariant RowSet::value(const QString& column) const
{
    settleAppends();
    const int index = m_layout.indexOf(column);
    if (m_eof || index < 0)
        return {};
    return fromStoredValue(m_values.value(index), m_layout.kinds[index]);
}

DbError RowSet::find(const Condition& condition)
{
    settleAppends();
    if (!m_open)
        return closedError();
    if (m_eof)
        return {};
    // ?1 and ?2 are the position, the condition's value follows.
    const DbResult<BoundConditions> bound = bindConditions(m_layout, {condition}, 3);
    if (!bound.ok())
        return bound.error;
    QVariantList parameters = positionParameters();
    parameters.resize(2);
    parameters.append(bound.value.values);
    return loadRow(selectRows(From::AtCurrent, bound.value.sql), parameters);
}

DbResult<qint64> RowSet::rowCount()
{
    settleAppends();
    if (!m_open)
        return {0, closedError()};
    DbError error;
    DbStatement* count = statement(u"SELECT count(*) FROM "_s + quotedIdentifier(m_layout.name), error);
    if (count == nullptr)
        return {0, error};
    DbResult<qint64> result;
    if (count->step() == DbStatement::Step::Row)
        result.value = count->value(0).toLongLong();
    else
        result.error = count->error();
    count->reset();
    return result;
}

std::optional<RowSet::Bookmark> RowSet::bookmark() const
{
    settleAppends();
    if (m_eof)
        return std::nullopt;
    return m_rowid;
}

DbError RowSet::moveToBookmark(Bookmark bookmark)
{
    settleAppends();
    if (!m_open)
        return closedError();
    if (const DbError error = loadRow(selectRows(From::Start, u"rowid = ?1"_s), {bookmark}); error.isError())
        return error;
    return m_eof ? noCurrentRowError() : DbError{};
}

// One row from the start, or after or at the current row in table order, that meets the
// condition. The order column's rows without a value come first, as SQLite sorts NULL; said
// outright, since PostgreSQL sorts it last.
QString RowSet::selectRows(From from, const QString& condition, bool descending) const
{
    QStringList conditions;
    if (from != From::Start)
        conditions.append(positionCondition(from));
    if (!condition.isEmpty())
        conditions.append(condition);
    const QString direction = descending ? u" DESC"_s : QString();
    QString order = u"rowid"_s + direction;
    if (m_orderIndex >= 0)
        order.prepend(quotedIdentifier(m_layout.columns[m_orderIndex]) +
                      (descending ? u" DESC NULLS LAST, "_s : u" NULLS FIRST, "_s));
    return u"SELECT rowid, "_s + quotedColumnList(m_layout.columns) + u" FROM "_s +
           quotedIdentifier(m_layout.name) +
           (conditions.isEmpty() ? QString() : u" WHERE "_s + conditions.join(u" AND "_s)) + u" ORDER BY "_s +
           order + u" LIMIT 1"_s;
}

// ?1 is the current rowid, ?2 the current order value.
QString RowSet::positionCondition(From from) const
{
    const QString comparison = from == From::AtCurrent ? u">="_s : u">"_s;
    const QString rowidAfter = u"rowid "_s + comparison + u" ?1"_s;
    if (m_orderIndex < 0)
        return rowidAfter;
    const QString key = quotedIdentifier(m_layout.columns[m_orderIndex]);
    if (m_values.value(m_orderIndex).isNull())
        return u"(("_s + key + u" IS NULL AND "_s + rowidAfter + u") OR "_s + key + u" IS NOT NULL)"_s;
    return u"("_s + key + u", rowid) "_s + comparison + u" (?2, ?1)"_s;
}

QVariantList RowSet::positionParameters() const
{
    QVariantList parameters{m_rowid};
    if (m_orderIndex >= 0)
        parameters.append(m_values.value(m_orderIndex));
    return parameters;
}

void RowSet::settleAppends() const
{
    m_database.settleInserts();
    if (!m_appended.appended)
        return;
    m_rowid = m_appended.rowid;
    m_values = m_appended.row.values();
    m_eof = false;
    m_appended = {};
}

int RowSet::columnIndex(const QString& column)
{
    // A literal's text is not allocated: the string holds no data header of its own.
    const bool literal = !column.data_ptr().isMutable();
    if (literal) {
        for (const LiteralColumn& known : m_literalColumns) {
            if (known.text == column.constData() && known.size == column.size())
                return known.index;
        }
    }
    int index = 0;
    if (const auto known = m_columnIndexes.constFind(column); known != m_columnIndexes.cend()) {
        index = *known;
    } else {
        index = m_layout.indexOf(column);
        m_columnIndexes.insert(column, index);
    }
    if (literal)
        m_literalColumns.push_back({column.constData(), column.size(), index});
    return index;
}

// Prepared once, kept for every append: the scan run's hot path.
DbError RowSet::prepareInsert()
{
    if (m_insert.isPrepared())
        return {};
    if (m_database.isCentral()) {
        PgCopyTransaction* transaction = m_database.copyTransaction();
        if (transaction == nullptr)
            return notAllowedInContextError();
        if (!m_copy || !m_copy->writesInto(transaction))
            m_copy = std::make_unique<PgCopyWriter>(*transaction, m_layout.name, m_layout.columns);
        return {};
    }
    return m_database.prepare(m_insert, u"INSERT INTO "_s + quotedIdentifier(m_layout.name) + u" ("_s +
                                            quotedColumnList(m_layout.columns) + u") VALUES (?"_s +
                                            u", ?"_s.repeated(m_layout.columns.size() - 1) + u')');
}

DbStatement* RowSet::statement(const QString& sql, DbError& error)
{
    if (const auto known = m_statements.find(sql); known != m_statements.end())
        return &known->second;
    DbStatement prepared;
    error = m_database.prepare(prepared, sql);
    if (error.isError())
        return nullptr;
    return &m_statements.emplace(sql, std::move(prepared)).first->second;
}

DbError RowSet::loadRow(const QString& sql, const QVariantList& parameters)
{
    DbError error;
    DbStatement* select = statement(sql, error);
    if (select == nullptr)
        return error;
    for (int i = 0; i < parameters.size(); ++i) {
        if (i < select->parameterCount())
            select->bind(i + 1, parameters[i]);
    }
    const DbStatement::Step step = select->step();
    if (step == DbStatement::Step::Row) {
        m_rowid = select->value(0).toLongLong();
        m_values.resize(m_layout.columns.size());
        for (int c = 0; c < m_values.size(); ++c)
            m_values[c] = select->value(c + 1);
        m_eof = false;
    } else if (step == DbStatement::Step::Done) {
        m_eof = true;
        m_values.clear();
    } else {
        error = select->error();
    }
    select->reset();
    return error;
}

} // namespace corvane
