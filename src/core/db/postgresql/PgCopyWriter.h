#pragma once

#include "core/db/DbError.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace corvane {

class PgConnection;
class PgCopyWriter;

// A run's one transaction on a station's session, into which its rows stream with COPY. A
// connection carries one COPY at a time: the table being written keeps its COPY open while its
// rows come, and a row for another table ends it and opens that table's. Rows are sent in
// blocks; a failure (the connection lost, a refused value) ends the transaction, every later
// append and the commit report it, and the server keeps nothing of the run.
class PgCopyTransaction
{
public:
    explicit PgCopyTransaction(PgConnection& connection);
    ~PgCopyTransaction();
    PgCopyTransaction(const PgCopyTransaction&) = delete;
    PgCopyTransaction& operator=(const PgCopyTransaction&) = delete;

    DbError begin();
    // Sends what is buffered, ends the open COPY and commits; the error that ended the
    // transaction when it was lost.
    DbError commit();
    DbError rollback();
    // A statement inside the transaction, after the open COPY is ended; a failure ends the
    // transaction as a refused row does.
    DbError execute(const QString& sql, const QList<QVariant>& parameters = {});
    bool isActive() const { return m_active; }
    // The error that ended the transaction; none while it goes on.
    DbError lostTransaction() const { return m_lost; }

private:
    friend class PgCopyWriter;
    DbError append(const PgCopyWriter& writer, const QList<QVariant>& values);
    DbError switchTo(const PgCopyWriter& writer);
    DbError sendBuffer();
    DbError endCopy();
    DbError lose(const DbError& error);

    // Writers are told apart by a number of their own, not by address: a writer made after
    // another one went may take its place in memory while that one's COPY is still open.
    quint64 nextWriterId() { return ++m_lastWriterId; }

    PgConnection& m_connection;
    quint64 m_copying = 0; // the writer whose COPY is open; 0 for none
    quint64 m_lastWriterId = 0;
    QByteArray m_buffer;
    bool m_active = false;
    DbError m_lost;
};

// The appends of one table: each row's values in the order of columns, null for an empty one.
class PgCopyWriter
{
public:
    PgCopyWriter(PgCopyTransaction& transaction, QString table, QStringList columns);

    DbError append(const QList<QVariant>& values) { return m_transaction.append(*this, values); }
    QString copyStatement() const;
    qsizetype columnCount() const { return m_columns.size(); }

private:
    friend class PgCopyTransaction;
    PgCopyTransaction& m_transaction;
    quint64 m_id;
    QString m_table;
    QStringList m_columns;
};

// One row in COPY's text form: tab between fields, \N for null, backslash, tab, newline and
// carriage return escaped, a newline at the end.
void appendCopyRow(QByteArray& buffer, const QList<QVariant>& values);

} // namespace corvane
