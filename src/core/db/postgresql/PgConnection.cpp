#include "core/db/postgresql/PgConnection.h"

#include "core/db/postgresql/DatabaseName.h"
#include "core/db/postgresql/PgErrors.h"
#include "core/db/StoredValues.h"

#include <QTimeZone>

#include <libpq-fe.h>

#include <vector>

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

QString fieldOf(const PGresult* result, int field)
{
    const char* text = PQresultErrorField(result, field);
    return text ? QString::fromUtf8(text) : QString();
}

// The server's notices ("already exists, skipping") are for a person at psql; cv shows none.
void ignoreNotice(void*, const char*) {}

} // namespace

PgResult::PgResult(pg_result* result, DbError error) : error(std::move(error)), m_result(result)
{
    if (result)
        sqlState = fieldOf(result, PG_DIAG_SQLSTATE);
}

void PgResult::Clear::operator()(pg_result* result) const
{
    PQclear(result);
}

bool PgResult::isCopyIn() const
{
    return m_result && PQresultStatus(m_result.get()) == PGRES_COPY_IN;
}

QString PgResult::commandStatus() const
{
    return m_result ? QString::fromUtf8(PQcmdStatus(m_result.get())) : QString();
}

int PgResult::rowCount() const
{
    return m_result ? PQntuples(m_result.get()) : 0;
}

int PgResult::columnCount() const
{
    return m_result ? PQnfields(m_result.get()) : 0;
}

QString PgResult::columnName(int column) const
{
    return m_result ? QString::fromUtf8(PQfname(m_result.get(), column)) : QString();
}

unsigned PgResult::columnType(int column) const
{
    return m_result ? PQftype(m_result.get(), column) : 0;
}

bool PgResult::isNull(int row, int column) const
{
    return !m_result || PQgetisnull(m_result.get(), row, column);
}

QString PgResult::text(int row, int column) const
{
    if (isNull(row, column))
        return {};
    return QString::fromUtf8(PQgetvalue(m_result.get(), row, column),
                             PQgetlength(m_result.get(), row, column));
}

std::optional<QString> PgResult::firstValue() const
{
    if (rowCount() == 0 || columnCount() == 0 || isNull(0, 0))
        return std::nullopt;
    return text(0, 0);
}

PgConnection::~PgConnection()
{
    close();
}

DbError PgConnection::open(const QString& connectionText, int connectTimeoutSeconds)
{
    close();
    m_shownName = maskedConnectionText(connectionText);
    const QByteArray timeout = QByteArray::number(connectTimeoutSeconds);
    const QByteArray expanded = connectionText.toUtf8();
    // Later keywords win: the text's own connect_timeout over ours, our session settings over
    // the text's.
    const char* const keywords[] = {"connect_timeout", "dbname", "application_name", "client_encoding",
                                    nullptr};
    const char* const values[] = {timeout.constData(), expanded.constData(), "cv", "UTF8", nullptr};
    m_connection = PQconnectdbParams(keywords, values, 1);
    if (m_connection == nullptr)
        return connectionLostError(u"out of memory"_s);
    PQsetNoticeProcessor(m_connection, ignoreNotice, nullptr);
    if (const char* password = PQpass(m_connection))
        m_password = QString::fromUtf8(password);
    if (PQstatus(m_connection) != CONNECTION_OK) {
        const DbError error = connectionError();
        close();
        return error;
    }
    if (const DbError error = setSetting(u"TimeZone"_s, QString::fromUtf8(QTimeZone::systemTimeZoneId()));
        error.isError()) {
        close();
        return error;
    }
    return {};
}

void PgConnection::close()
{
    if (m_connection)
        PQfinish(m_connection);
    m_connection = nullptr;
    m_password.clear();
}

bool PgConnection::isOpen() const
{
    return m_connection != nullptr && PQstatus(m_connection) == CONNECTION_OK;
}

DbError PgConnection::connectionError() const
{
    QString reason = m_connection ? QString::fromUtf8(PQerrorMessage(m_connection)) : u"not connected"_s;
    if (!m_password.isEmpty())
        reason.replace(m_password, u"********"_s);
    return connectionLostError(reason);
}

bool PgConnection::endCopy()
{
    m_copyEnding = PQputCopyEnd(m_connection, nullptr) == 1;
    return m_copyEnding;
}

DbError PgConnection::settleCopy()
{
    if (!m_copyEnding)
        return {};
    m_copyEnding = false;
    const PgResult ended = answer(PQgetResult(m_connection));
    // Every answer is read, so that the connection takes the next statement.
    while (pg_result* more = PQgetResult(m_connection))
        PQclear(more);
    return ended.error;
}

PgResult PgConnection::afterCopy(PgResult result, const DbError& copyError)
{
    if (copyError.isError())
        result.error = copyError;
    return result;
}

PgResult PgConnection::answer(pg_result* result) const
{
    const ExecStatusType status = PQresultStatus(result);
    if (result != nullptr &&
        (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_COPY_IN))
        return PgResult(result, {});
    if (result == nullptr || PQstatus(m_connection) != CONNECTION_OK)
        return PgResult(result, connectionError());
    return PgResult(
        result, postgresError(fieldOf(result, PG_DIAG_SQLSTATE), fieldOf(result, PG_DIAG_MESSAGE_PRIMARY)));
}

PgResult PgConnection::exec(const QString& sql, const QList<QVariant>& parameters)
{
    if (m_connection == nullptr || !parameters.isEmpty())
        return execOne(sql, parameters);
    const DbError copyError = settleCopy();
    return afterCopy(answer(PQexec(m_connection, sql.toUtf8().constData())), copyError);
}

PgResult PgConnection::execOne(const QString& sql, const QList<QVariant>& parameters)
{
    if (m_connection == nullptr)
        return PgResult(nullptr, connectionLostError(u"not connected"_s));
    const DbError copyError = settleCopy();
    std::vector<std::optional<QByteArray>> texts;
    std::vector<const char*> values;
    texts.reserve(static_cast<std::size_t>(parameters.size()));
    for (const QVariant& parameter : parameters) {
        texts.push_back(parameterText(parameter));
        values.push_back(texts.back() ? texts.back()->constData() : nullptr);
    }
    return afterCopy(answer(PQexecParams(m_connection, sql.toUtf8().constData(), static_cast<int>(values.size()),
                                         nullptr, values.data(), nullptr, nullptr, 0)),
                     copyError);
}

PgResult PgConnection::describe(const QString& sql)
{
    if (!isOpen())
        return answer(nullptr);
    const DbError copyError = settleCopy();
    PgResult prepared = afterCopy(answer(PQprepare(m_connection, "", sql.toUtf8().constData(), 0, nullptr)), copyError);
    if (!prepared.ok())
        return prepared;
    return answer(PQdescribePrepared(m_connection, ""));
}

DbError PgConnection::execute(const QString& sql, const QList<QVariant>& parameters)
{
    return exec(sql, parameters).error;
}

DbError PgConnection::setSetting(const QString& name, const QString& value)
{
    return execute(u"SELECT set_config($1, $2, false)"_s, {name, value});
}

PgCancel::PgCancel(pg_conn* connection) : m_cancel(connection ? PQgetCancel(connection) : nullptr) {}

PgCancel::~PgCancel()
{
    if (m_cancel)
        PQfreeCancel(m_cancel);
}

bool PgCancel::send() const
{
    char reason[256];
    return m_cancel && PQcancel(m_cancel, reason, sizeof reason) == 1;
}

int PgConnection::backendPid() const
{
    return m_connection ? PQbackendPID(m_connection) : 0;
}

std::optional<QByteArray> parameterText(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    switch (value.typeId()) {
    case QMetaType::QDate:
        return storedDateText(value.toDate()).toUtf8();
    case QMetaType::QDateTime:
        return storedDateTimeText(value.toDateTime()).toUtf8();
    case QMetaType::Bool:
        return QByteArray(value.toBool() ? "true" : "false");
    default:
        return value.toString().toUtf8();
    }
}

} // namespace corvane
