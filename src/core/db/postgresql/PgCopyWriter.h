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

// A run's one transaction on a station's session, into which its rows stream with COPY. Each
// table's rows gather in its writer and go to the server a block at a time, each block one COPY,
// so that a run that appends to several tables in turn still sends few large COPYs. A failure
// (the connection lost, a refused value) ends the transaction; every later append and the commit
// report it, and the server keeps nothing of the run.
class PgCopyTransaction
{
public:
    explicit PgCopyTransaction(PgConnection& connection);
    ~PgCopyTransaction();
    PgCopyTransaction(const PgCopyTransaction&) = delete;
    PgCopyTransaction& operator=(const PgCopyTransaction&) = delete;

    DbError begin();
    // Sends what is gathered and commits; the error that ended the transaction when it was lost.
    DbError commit();
    DbError rollback();
    // Sends every writer's gathered rows, so that the transaction's statements see them.
    DbError flush();
    // Sends the gathered rows of the tables the statement names: a count of one table need not
    // wait for the rows of another (the tally counts five tables while appending to a sixth).
    DbError flushFor(const QString& sql);
    // A statement of the transaction, after the rows gathered so far; a failure ends it.
    DbError execute(const QString& sql, const QList<QVariant>& parameters = {});
    // A statement of the transaction failed: the server has ended it, so every later append
    // and the commit report that error.
    void lose(const DbError& error);
    bool isActive() const { return m_active; }
    // The error that ended the transaction; none while it goes on.
    DbError lostTransaction() const { return m_lost; }

private:
    friend class PgCopyWriter;
    DbError append(PgCopyWriter& writer, const QList<QVariant>& values);
    DbError send(PgCopyWriter& writer);
    DbError notActive() const;
    DbError lost(const DbError& error);
    void dropGatheredRows();

    PgConnection& m_connection;
    QList<PgCopyWriter*> m_writers;
    bool m_active = false;
    DbError m_lost;
};

// The appends of one table: each row's values in the order of columns, null for an empty one.
// Rows still gathered when the writer goes are sent then.
class PgCopyWriter
{
public:
    PgCopyWriter(PgCopyTransaction& transaction, QString table, QStringList columns);
    ~PgCopyWriter();
    PgCopyWriter(const PgCopyWriter&) = delete;
    PgCopyWriter& operator=(const PgCopyWriter&) = delete;

    DbError append(const QList<QVariant>& values);
    QString copyStatement() const;
    qsizetype columnCount() const { return m_columns.size(); }
    // Whether the writer still belongs to that transaction (it is detached when that ends).
    bool writesInto(const PgCopyTransaction* transaction) const { return m_transaction == transaction; }

private:
    friend class PgCopyTransaction;
    PgCopyTransaction* m_transaction;
    QString m_table;
    QStringList m_columns;
    QByteArray m_rows; // gathered, in COPY's text form
};

// One row in COPY's text form: tab between fields, \N for null, backslash, tab, newline and
// carriage return escaped, a newline at the end.
void appendCopyRow(QByteArray& buffer, const QList<QVariant>& values);

} // namespace corvane
