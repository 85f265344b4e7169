#pragma once

#include "core/db/DbError.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

struct pg_cancel;
struct pg_conn;
struct pg_result;

namespace corvane {

// The answer to one statement: its rows as text (PostgreSQL's text form) or its error.
class PgResult
{
public:
    PgResult() = default;
    PgResult(pg_result* result, DbError error);

    bool ok() const { return !error.isError(); }
    bool hasResult() const { return m_result != nullptr; }
    // A COPY FROM STDIN waiting for its rows.
    bool isCopyIn() const;
    // The command's tag: "COMMIT", "INSERT 0 1", or "ROLLBACK" for a commit of a failed
    // transaction.
    QString commandStatus() const;
    int rowCount() const;
    int columnCount() const;
    QString columnName(int column) const;
    // The column's type, by PostgreSQL's number for it (its oid).
    unsigned columnType(int column) const;
    bool isNull(int row, int column) const;
    QString text(int row, int column) const;
    // The first cell, or nullopt for a null or no row.
    std::optional<QString> firstValue() const;

    DbError error;
    QString sqlState;

private:
    struct Clear
    {
        void operator()(pg_result* result) const;
    };
    std::unique_ptr<pg_result, Clear> m_result;
};

// One libpq connection to the central audit database. Every session is set up alike: the
// program's application_name, UTF-8 on the wire, and the local time zone of this machine, in
// which cv.mdb keeps its dates and Jet's Now() reads the clock. Messages name the database by
// its connection text with any password hidden.
class PgConnection
{
public:
    static constexpr int defaultConnectTimeoutSeconds = 10;

    PgConnection() = default;
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // A connect_timeout in the connection text wins over connectTimeoutSeconds.
    DbError open(const QString& connectionText, int connectTimeoutSeconds = defaultConnectTimeoutSeconds);
    void close();
    bool isOpen() const;
    // The connection text as messages show it.
    QString shownName() const { return m_shownName; }

    // A statement (or, without parameters, a script of them).
    PgResult exec(const QString& sql, const QList<QVariant>& parameters = {});
    // One statement, never a script, whatever the text holds: what users' statements go through.
    PgResult execOne(const QString& sql, const QList<QVariant>& parameters = {});
    DbError execute(const QString& sql, const QList<QVariant>& parameters = {});
    // The columns a statement would give, its names and types, without running it.
    PgResult describe(const QString& sql);
    // A session setting (set_config), kept until the session ends.
    DbError setSetting(const QString& name, const QString& value);

    // The backend process serving this session.
    int backendPid() const;
    pg_conn* handle() const { return m_connection; }
    // The error of the connection itself (lost, never made), with libpq's reason.
    DbError connectionError() const;
    // Ends the COPY whose rows were sent without waiting for the server to take them, so that the
    // next rows are made ready meanwhile. The next statement on the connection first reads the
    // COPY's outcome and, should the COPY have failed, runs and then fails with the COPY's error.
    bool endCopy();

private:
    PgResult answer(pg_result* result) const;
    DbError settleCopy();
    static PgResult afterCopy(PgResult result, const DbError& copyError);

    pg_conn* m_connection = nullptr;
    QString m_shownName;
    QString m_password;
    bool m_copyEnding = false; // a COPY ended whose outcome is still to be read
};

// Asks the server to stop whatever statement one session is running; from any thread, for as
// long as that session is open.
class PgCancel
{
public:
    explicit PgCancel(pg_conn* connection);
    ~PgCancel();
    PgCancel(const PgCancel&) = delete;
    PgCancel& operator=(const PgCancel&) = delete;

    // Whether the server could be asked; a statement that ended first is not stopped.
    bool send() const;

private:
    pg_cancel* m_cancel;
};

// A parameter as PostgreSQL reads it in text form; nullopt for a null.
std::optional<QByteArray> parameterText(const QVariant& value);

} // namespace corvane
