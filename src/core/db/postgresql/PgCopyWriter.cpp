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
}

DbError PgCopyTransaction::begin()
{
    m_lost = {};
    m_copying = 0;
    m_buffer.clear();
    if (const DbError error = m_connection.execute(u"BEGIN"_s); error.isError())
        return error;
    m_active = true;
    return {};
}

DbError PgCopyTransaction::commit()
{
    if (!m_active)
        return m_lost.isError() ? m_lost : DbError{DbErrorNumber::Unspecified, u"No transaction is open."_s};
    if (const DbError error = endCopy(); error.isError())
        return error;
    const PgResult committed = m_connection.exec(u"COMMIT"_s);
    if (!committed.ok())
        return lose(committed.error);
    // A transaction the server had already ended is "committed" as a rollback.
    if (committed.commandStatus() != u"COMMIT"_s)
        return lose(
            {DbErrorNumber::Unspecified, u"The database server rolled the run's transaction back."_s});
    m_active = false;
    return {};
}

DbError PgCopyTransaction::rollback()
{
    const bool wasActive = m_active;
    m_active = false;
    m_buffer.clear();
    if (m_copying != 0 && m_connection.isOpen()) {
        PQputCopyEnd(m_connection.handle(), "rolled back");
        m_connection.lastResult();
    }
    m_copying = 0;
    if (!wasActive || !m_connection.isOpen())
        return {};
    return m_connection.execute(u"ROLLBACK"_s);
}

DbError PgCopyTransaction::execute(const QString& sql, const QList<QVariant>& parameters)
{
    if (!m_active)
        return m_lost.isError() ? m_lost : DbError{DbErrorNumber::Unspecified, u"No transaction is open."_s};
    if (const DbError error = endCopy(); error.isError())
        return error;
    const DbError error = m_connection.execute(sql, parameters);
    return error.isError() ? lose(error) : DbError{};
}

DbError PgCopyTransaction::append(const PgCopyWriter& writer, const QList<QVariant>& values)
{
    if (!m_active)
        return m_lost.isError() ? m_lost : DbError{DbErrorNumber::Unspecified, u"No transaction is open."_s};
    if (values.size() != writer.columnCount())
        return {DbErrorNumber::Unspecified,
                u"A row of %1 values for %2 columns."_s.arg(values.size()).arg(writer.columnCount())};
    if (m_copying != writer.m_id) {
        if (const DbError error = switchTo(writer); error.isError())
            return error;
    }
    appendCopyRow(m_buffer, values);
    return m_buffer.size() >= blockSize ? sendBuffer() : DbError{};
}

DbError PgCopyTransaction::switchTo(const PgCopyWriter& writer)
{
    if (const DbError error = endCopy(); error.isError())
        return error;
    const PgResult started = m_connection.exec(writer.copyStatement());
    if (started.isCopyIn()) {
        m_copying = writer.m_id;
        return {};
    }
    return lose(started.ok() ? DbError{DbErrorNumber::Unspecified, u"The server did not start the COPY."_s}
                             : started.error);
}

DbError PgCopyTransaction::sendBuffer()
{
    if (m_buffer.isEmpty())
        return {};
    if (PQputCopyData(m_connection.handle(), m_buffer.constData(), static_cast<int>(m_buffer.size())) != 1)
        return lose(m_connection.connectionError());
    m_buffer.clear();
    return {};
}

DbError PgCopyTransaction::endCopy()
{
    if (m_copying == 0)
        return {};
    if (const DbError error = sendBuffer(); error.isError())
        return error;
    m_copying = 0;
    if (PQputCopyEnd(m_connection.handle(), nullptr) != 1)
        return lose(m_connection.connectionError());
    PgResult ended = m_connection.lastResult();
    // Every answer is read, so that the connection takes the next statement.
    while (m_connection.lastResult().hasResult()) {
    }
    return ended.ok() ? DbError{} : lose(ended.error);
}

DbError PgCopyTransaction::lose(const DbError& error)
{
    m_lost = error;
    rollback();
    return error;
}

PgCopyWriter::PgCopyWriter(PgCopyTransaction& transaction, QString table, QStringList columns)
    : m_transaction(transaction), m_id(transaction.nextWriterId()), m_table(std::move(table)),
      m_columns(std::move(columns))
{}

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
