#pragma once

#include "core/db/Conditions.h"
#include "core/db/DbError.h"
#include "core/db/DbResult.h"
#include "core/db/DbStatement.h"
#include "core/db/JetTranslator.h"
#include "core/db/StoredValues.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

struct sqlite3;

namespace corvane {

class InsertThread;
class PgCancel;
class PgConnection;
class PgCopyTransaction;
class SqliteStatement;

// What a row set or cursor holds on a connection: its prepared statements, which must be
// released before the connection closes.
class StatementOwner
{
public:
    virtual void releaseStatements() = 0;

protected:
    ~StatementOwner() = default;
};

// The columns of one table, in table order, with what each holds.
struct TableLayout
{
    QString name;
    QStringList columns;
    QList<ColumnKind> kinds;

    // Column names match without regard to case; -1 when there is no such column.
    int indexOf(const QString& column) const;
};

// One connection to the audit database (the DbConnection of the scan run, the purges'
// connection, or a reader's own): cv.mdb, or a station's or a reader's session on the central
// PostgreSQL database (openCentral). Every statement is in the Jet dialect and goes through translateJet; errors
// come back as the number and description callers report.
//
// ReadWrite serves the scan run and the purges: it never creates the file, and opening fails
// when another writer holds it or the file cannot be written. ReadOnly serves the query window, the charts and
// `cv --query`: the file is opened read-only, query_only is on and an authorizer refuses
// every statement that could write, attach or alter anything.
class AuditDatabase
{
public:
    enum class Access
    {
        ReadWrite,
        ReadOnly
    };
    static constexpr int defaultBusyTimeoutMs = 5000;
    // How long a reader's statement may run on the central database before the server stops it.
    static constexpr int defaultStatementTimeoutMs = 120000;
    static constexpr int schemaVersion = 1;
    // Returned by open() when no connection object can be made at all (the SQLite driver of
    // Qt is missing); the program cannot go on without one.
    static constexpr long cannotCreateConnection = 429;

    AuditDatabase();
    ~AuditDatabase();
    AuditDatabase(const AuditDatabase&) = delete;
    AuditDatabase& operator=(const AuditDatabase&) = delete;

    // Opens the file and checks that it is a cv.mdb of this schema version. A missing,
    // locked, truncated or foreign file fails with the words of its case and nothing written.
    // busyTimeoutMs is how long a statement waits for another process's lock.
    DbError open(const QString& path, Access access, int busyTimeoutMs = defaultBusyTimeoutMs);
    // The central database: ReadWrite is the station's session (its own rows only; a second
    // session of the station is refused as a second writer of cv.mdb is), ReadOnly a reader's
    // (every station's rows, nothing written, statements stopped after statementTimeoutMs).
    DbError openCentral(const QString& connectionText, const QString& station, Access access,
                        int statementTimeoutMs = defaultStatementTimeoutMs);
    // Opens reader as a second reader of the central database this one reads, with the same
    // statement timeout: for work of its own on another thread.
    DbError openSecondReader(AuditDatabase& reader) const;
    // Stops this connection's running statement from another thread; null on cv.mdb.
    std::unique_ptr<PgCancel> canceller() const;
    void close();
    bool isOpen() const { return m_handle != nullptr || m_central != nullptr; }
    bool isCentral() const { return m_central != nullptr; }
    Access access() const { return m_access; }
    QString path() const { return m_path; }

    // Runs a statement; the count of rows changed is not reported.
    DbError execute(const QString& jetStatement);
    // Deletes every row of the audit table. Outside a transaction the central database empties
    // a station's table at once, in a time that does not grow with its rows; should a reader
    // hold the table past a short wait, or the role lack the right, it deletes row by row, as
    // cv.mdb does.
    DbError emptyTable(const QString& table);
    // The first column of the first row (COUNT(*) and the like); null when there is no row.
    DbResult<QVariant> queryValue(const QString& jetStatement);
    // COUNT(*) of the table's rows that meet every condition, with the values bound: the
    // counts of the daily tally and the directory comparison, whatever the names hold.
    DbResult<qint64> countRows(const QString& table, const QList<Condition>& conditions);

    // A write transaction, taken at once so that a second writer is refused at its start.
    // After some errors (a full disk, an I/O error) SQLite ends the transaction by itself. Every
    // later statement would then be committed on its own, so writes are refused from then on,
    // commit() reports the error that ended it and rollback() has nothing left to undo.
    DbError beginTransaction();
    DbError commit();
    DbError rollback();
    // That error while the transaction is lost; no error otherwise.
    DbError lostTransaction() const;

    // The appends SQLite refused since the transaction began, one by one (a row set's or the
    // insert thread's): their rows are lost while the transaction goes on, and the run must say so.
    struct LostRows
    {
        qint64 count = 0;
        DbError first; // the error of the first refused append
    };
    LostRows lostRows() const;
    // For the row sets and the insert thread: an append failed with error.
    void countLostRow(const DbError& error) const;

    // While one lives, the row sets' appends are stepped on a thread of their own (InsertThread),
    // so that a long run of appends, the directory scan's, goes on while SQLite writes. Every other
    // use of the connection first waits until the appends made so far are in.
    class InsertsInBackground
    {
    public:
        explicit InsertsInBackground(AuditDatabase& database);
        ~InsertsInBackground();
        InsertsInBackground(const InsertsInBackground&) = delete;
        InsertsInBackground& operator=(const InsertsInBackground&) = delete;

    private:
        AuditDatabase& m_database;
    };
    // Null unless appends go on in the background.
    InsertThread* insertThread() const { return m_inserts.get(); }
    // Returns once every append handed to the background is in.
    void settleInserts() const;
    // Whether SQLite ended the transaction by itself; for the insert thread, which must not wait
    // for itself.
    bool transactionEnded() const;

    // The Qt connection, for item models over a translated statement.
    QSqlDatabase connection() const { return m_connection; }

    // For the row sets and cursors of this layer. A statement kept beyond one call belongs
    // to a StatementOwner, so that close() can release it: SQLite keeps a connection with
    // statements left open.
    sqlite3* handle() const { return m_handle; }
    // The program's own SQL is written in SQLite's dialect in the few forms both engines take
    // alike (see PgStatement); a Jet statement is translated for the engine first.
    DbError prepare(DbStatement& statement, const QString& sql,
                    StatementRows rows = StatementRows::AllAtOnce) const;
    DbError prepareJet(DbStatement& statement, const QString& jetStatement,
                       StatementRows rows = StatementRows::AllAtOnce) const;
    // The statement in the engine's dialect, "*" known as this database's tables' columns.
    JetTranslation translate(const QString& jetStatement) const;
    DbError errorOf(int resultCode) const;
    // The central database's run transaction, into which appends stream; null otherwise.
    PgCopyTransaction* copyTransaction() const { return m_copy.get(); }
    // For statements on the central database: the appends made so far are in and the
    // connection takes a statement; a failed one has ended the run's transaction.
    void readyForStatement(const QString& sql = {}) const;
    DbError failedStatement(const DbError& error) const;
    DbResult<TableLayout> tableLayout(const QString& table) const;
    void addStatementOwner(StatementOwner* owner);
    void removeStatementOwner(StatementOwner* owner);

private:
    DbError openConnection(const QString& path, Access access);
    DbError prepareSqlite(SqliteStatement& statement, const QString& sql) const;
    DbResult<TableLayout> readTableLayout(const QString& table) const;
    DbResult<TableLayout> readCentralTableLayout(const QString& table) const;
    DbError prepareConnection(int busyTimeoutMs);
    DbError checkSchema() const;
    DbError checkWritable() const;
    DbError executeSql(const QString& sql) const;
    bool truncateCentralTable(const QString& table) const;
    DbError runToEnd(DbStatement& statement) const;
    DbResult<QVariant> firstValue(DbStatement& statement) const;
    void endTransaction();

    QString m_connectionName;
    QSqlDatabase m_connection;
    sqlite3* m_handle = nullptr;
    Access m_access = Access::ReadOnly;
    QString m_path;
    mutable QHash<QString, TableLayout> m_layouts;
    QList<StatementOwner*> m_owners;
    bool m_inTransaction = false;
    mutable DbError m_transactionEndedBy; // the first error seen once SQLite had ended it
    // Written by whichever thread steps the appends; read once they are settled.
    mutable LostRows m_lostRows;
    std::unique_ptr<InsertThread> m_inserts;
    std::unique_ptr<PgConnection> m_central;
    QString m_centralText; // as given, password included, for a second reader
    int m_statementTimeoutMs = defaultStatementTimeoutMs;
    std::unique_ptr<PgCopyTransaction> m_copy;
};

} // namespace corvane
