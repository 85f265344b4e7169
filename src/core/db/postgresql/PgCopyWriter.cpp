#include "core/db/postgresql/PgCopyWriter.h"

#include "core/db/postgresql/PgConnection.h"
#include "core/sqlite/SqliteStatement.h"

#include <libpq-fe.h>

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

// Large enough that libpq's calls cost nothing per row, small enough to stay out of the way.
constexpr qsizetype blockSize = 256 * 1024;

void appendEscaped(QByteArray& buffer, const QByteArray& text)
{
    for (const char c : text) {
        switch (c) {
        case '\\':
            buffer.append("\\\\", 2);
            break;
        case '\t':
            buffer.append("\\t", 2);
            break;
        case '\n':
            buffer.append("\\n", 2);
            break;
        case '\r':
            buffer.append("\\r", 2);
            break;
        default:
            buffer.append(c);
        }
    }
}

// Whether the name stands in the statement as a word of its own, in any case: a name in a
// string or a longer name only sends rows early.
bool namesTable(const QString& sql, const QString& table)
{
    for (qsizetype at = sql.indexOf(table, 0, Qt::CaseInsensitive); at >= 0;
         at = sql.indexOf(table, at + 1, Qt::CaseInsensitive)) {
        const auto isNamePart = [&sql](qsizetype i) {
            return i >= 0 && i < sql.size() && (sql[i].isLetterOrNumber() || sql[i] == u'_');
        };
        if (!isNamePart(at - 1) && !isNamePart(at + table.size()))
            return true;
    }
    return false;
}

} // namespace

void appendCopyRow(QByteArray& buffer, const QList<QVariant>& values)
{
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            buffer.append('\t');
        if (const std::optional<QByteArray> text = parameterText(values[i]))
            appendEscaped(buffer, *text);
        else
            buffer.append("\\N", 2);
    }
    buffer.append('\n');
}

PgCopyTransaction::PgCopyTransaction(PgConnection& connection) : m_connection(connection) {}

PgCopyTransaction::~PgCopyTransaction()
{
    if (m_active)
        rollback();
    for (PgCopyWriter* writer : std::as_const(m_writers))
        writer->m_transaction = nullptr;
}

DbError PgCopyTransaction::begin()
{
    m_lost = {};
    dropGatheredRows();
    if (const DbError error = m_connection.execute(u"BEGIN"_s); error.isError())
        return error;
    m_active = true;
    return {};
}

DbError PgCopyTransaction::notActive() const
{
    return m_lost.isError() ? m_lost : DbError{DbErrorNumber::Unspecified, u"No transaction is open."_s};
}

DbError PgCopyTransaction::commit()
{
    if (!m_active)
        return notActive();
    if (const DbError error = flush(); error.isError())
        return error;
    const PgResult committed = m_connection.exec(u"COMMIT"_s);
    if (!committed.ok())
        return lost(committed.error);
    // A transaction the server had already ended is "committed" as a rollback.
    if (committed.commandStatus() != u"COMMIT"_s)
        return lost(
            {DbErrorNumber::Unspecified, u"The database server rolled the run's transaction back."_s});
    m_active = false;
    return {};
}

DbError PgCopyTransaction::rollback()
{
    const bool wasActive = m_active;
    m_active = false;
    dropGatheredRows();
    if (!wasActive || !m_connection.isOpen())
        return {};
    return m_connection.execute(u"ROLLBACK"_s);
}

void PgCopyTransaction::dropGatheredRows()
{
    for (PgCopyWriter* writer : std::as_const(m_writers))
        writer->m_rows.clear();
}

DbError PgCopyTransaction::append(PgCopyWriter& writer, const QList<QVariant>& values)
{
    if (!m_active)
        return notActive();
    if (values.size() != writer.columnCount())
        return {DbErrorNumber::Unspecified,
                u"A row of %1 values for %2 columns."_s.arg(values.size()).arg(writer.columnCount())};
    appendCopyRow(writer.m_rows, values);
    return writer.m_rows.size() >= blockSize ? send(writer) : DbError{};
}

DbError PgCopyTransaction::flush()
{
    if (!m_active)
        return notActive();
    for (PgCopyWriter* writer : std::as_const(m_writers)) {
        if (const DbError error = send(*writer); error.isError())
            return error;
    }
    return {};
}

DbError PgCopyTransaction::execute(const QString& sql, const QList<QVariant>& parameters)
{
    if (const DbError error = flush(); error.isError())
        return error;
    const DbError error = m_connection.execute(sql, parameters);
    return error.isError() ? lost(error) : DbError{};
}

DbError PgCopyTransaction::flushFor(const QString& sql)
{
    if (!m_active)
        return notActive();
    for (PgCopyWriter* writer : std::as_const(m_writers)) {
        if (writer->m_rows.isEmpty() || !namesTable(sql, writer->m_table))
            continue;
        if (const DbError error = send(*writer); error.isError())
            return error;
    }
    return {};
}

// One COPY with the rows the writer has gathered. The server takes them while the next rows are
// gathered: the next statement reads how it went.
DbError PgCopyTransaction::send(PgCopyWriter& writer)
{
    if (writer.m_rows.isEmpty())
        return {};
    // The COPY before this one ends here: its failure is this one's.
    const PgResult started = m_connection.exec(writer.copyStatement());
    if (!started.ok() || !started.isCopyIn())
        return lost(started.ok() ? DbError{DbErrorNumber::Unspecified, u"The server did not start the COPY."_s}
                                 : started.error);
    const bool sent =
        PQputCopyData(m_connection.handle(), writer.m_rows.constData(), static_cast<int>(writer.m_rows.size())) == 1 &&
        m_connection.endCopy();
    writer.m_rows.clear();
    return sent ? DbError{} : lost(m_connection.connectionError());
}

DbError PgCopyTransaction::lost(const DbError& error)
{
    lose(error);
    return error;
}

void PgCopyTransaction::lose(const DbError& error)
{
    if (!m_lost.isError())
        m_lost = error;
    rollback();
}

PgCopyWriter::PgCopyWriter(PgCopyTransaction& transaction, QString table, QStringList columns)
    : m_transaction(&transaction), m_table(std::move(table)), m_columns(std::move(columns))
{
    transaction.m_writers.append(this);
}

PgCopyWriter::~PgCopyWriter()
{
    if (m_transaction == nullptr)
        return;
    if (m_transaction->isActive())
        m_transaction->send(*this);
    m_transaction->m_writers.removeOne(this);
}

DbError PgCopyWriter::append(const QList<QVariant>& values)
{
    if (m_transaction == nullptr)
        return {DbErrorNumber::Unspecified, u"No transaction is open."_s};
    return m_transaction->append(*this, values);
}

// The central database's names are cv.mdb's in lower case, as PostgreSQL keeps unquoted names.
QString PgCopyWriter::copyStatement() const
{
    QStringList quoted;
    for (const QString& column : m_columns)
        quoted.append(quotedIdentifier(column.toLower()));
    return u"COPY "_s + quotedIdentifier(m_table.toLower()) + u" ("_s + quoted.join(u", "_s) +
           u") FROM STDIN"_s;
}

} // namespace corvane
