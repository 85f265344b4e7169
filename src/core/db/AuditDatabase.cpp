#include "core/db/AuditDatabase.h"

#include "core/db/AuditTables.h"
#include "core/db/InsertThread.h"
#include "core/db/JetFunctions.h"
#include "core/db/JetTranslator.h"
#include "core/db/SqliteErrors.h"
#include "core/db/postgresql/CentralSessions.h"
#include "core/db/postgresql/DatabaseName.h"
#include "core/db/postgresql/PgConnection.h"
#include "core/db/postgresql/PgCopyWriter.h"
#include "core/db/postgresql/PgStatement.h"
#include "core/sqlite/SqliteStatement.h"

#include <QFileInfo>
#include <QSysInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>

#include <sqlite3.h>

#include <atomic>
#include <system_error>

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

QString uniqueConnectionName()
{
    static std::atomic<int> counter{0};
    return u"cv-audit-"_s + QString::number(++counter);
}

bool isReadingPragma(const char* pragma, const char* argument)
{
    static const QList<QByteArray> describing{"table_info", "table_xinfo", "index_list", "index_info",
                                              "index_xinfo"};
    return argument == nullptr || describing.contains(QByteArray(pragma).toLower());
}

// Installed on every read-only connection: whatever is typed, only reading gets through.
// query_only and the read-only file handle stand behind it; this also stops ATTACH, which
// could create a file, and transactions, which would let a reader hold its lock.
int readOnlyAuthorizer(void*, int action, const char* first, const char* second, const char*, const char*)
{
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    case SQLITE_PRAGMA:
        return isReadingPragma(first, second) ? SQLITE_OK : SQLITE_DENY;
    default:
        return SQLITE_DENY;
    }
}

sqlite3* sqliteHandleOf(const QSqlDatabase& connection)
{
    QVariant handle = connection.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3**>(handle.data());
}

} // namespace

int TableLayout::indexOf(const QString& column) const
{
    // Callers mostly spell the names as the schema does; the exact test is the cheap one.
    const qsizetype exact = columns.indexOf(column);
    if (exact >= 0)
        return static_cast<int>(exact);
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].compare(column, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

AuditDatabase::AuditDatabase() : m_connectionName(uniqueConnectionName()) {}

AuditDatabase::~AuditDatabase()
{
    close();
}

DbError AuditDatabase::open(const QString& path, Access access, int busyTimeoutMs)
{
    close();
    m_path = path;
    m_access = access;
    DbError error = openConnection(path, access);
    if (!error.isError())
        error = prepareConnection(busyTimeoutMs);
    if (error.isError())
        close();
    return error;
}

DbError AuditDatabase::openConnection(const QString& path, Access access)
{
    const QString driver = u"QSQLITE"_s;
    if (!QSqlDatabase::isDriverAvailable(driver))
        return {cannotCreateConnection,
                u"Cannot create the connection object: the SQLite driver of Qt is missing."_s};
    // A URI with an explicit mode, so that a missing file is an error and never created.
    const bool readOnly = access == Access::ReadOnly;
    const QString uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
    m_connection = QSqlDatabase::addDatabase(driver, m_connectionName);
    m_connection.setDatabaseName(uri + (readOnly ? u"?mode=ro"_s : u"?mode=rw"_s));
    m_connection.setConnectOptions(readOnly ? u"QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY"_s
                                            : u"QSQLITE_OPEN_URI"_s);
    if (!m_connection.open()) {
        const QSqlError error = m_connection.lastError();
        return sqliteError(error.nativeErrorCode().toInt(), error.driverText(), path);
    }
    m_handle = sqliteHandleOf(m_connection);
    if (m_handle == nullptr)
        return {cannotCreateConnection,
                u"Cannot create the connection object: the driver gives no SQLite handle."_s};
    return {};
}

DbError AuditDatabase::prepareConnection(int busyTimeoutMs)
{
    sqlite3_busy_timeout(m_handle, busyTimeoutMs);
    const bool readOnly = m_access == Access::ReadOnly;
    if (const DbError error =
            executeSql(readOnly ? u"PRAGMA query_only = 1"_s : u"PRAGMA cache_size = -16384"_s);
        error.isError())
        return error;
    if (const DbError error = checkSchema(); error.isError())
        return error;
    if (readOnly)
        sqlite3_set_authorizer(m_handle, readOnlyAuthorizer, nullptr);
    else if (const DbError error = checkWritable(); error.isError())
        return error;
    registerJetFunctions(m_handle);
    return {};
}

// The first read of the file: a foreign, empty, truncated or locked file fails here.
DbError AuditDatabase::checkSchema() const
{
    SqliteStatement version;
    if (const DbError error = prepareSqlite(version, u"PRAGMA user_version"_s); error.isError())
        return error;
    if (const int rc = version.step(); rc != SQLITE_ROW)
        return errorOf(rc);
    if (const int fileVersion = version.value(0).toInt(); fileVersion != schemaVersion)
        return databaseVersionError(fileVersion, schemaVersion, m_path);

    SqliteStatement tables;
    const QString names = u"'"_s + auditTableNames().join(u"','"_s) + u"'"_s;
    if (const DbError error =
            prepareSqlite(tables, u"SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ("_s +
                                names + u')');
        error.isError())
        return error;
    if (const int rc = tables.step(); rc != SQLITE_ROW)
        return errorOf(rc);
    if (tables.value(0).toInt() != auditTableNames().size())
        return sqliteError(SQLITE_NOTADB, {}, m_path);
    return {};
}

// Another writer would make every append of a run wait and fail; better to refuse the opening
// with the file-in-use words. A file that cannot be written is refused too: SQLite opens it
// read-only (its mode, a read-only mount) or cannot make its journal (the folder's mode), and
// would then refuse a run's rows one by one while the run reports them found. Setting the schema
// version again, then rolling back, writes the journal and page 1 without changing a byte.
DbError AuditDatabase::checkWritable() const
{
    if (sqlite3_db_readonly(m_handle, "main") == 1)
        return readOnlyFileError(m_path, SQLITE_READONLY);
    if (const DbError error = executeSql(u"BEGIN IMMEDIATE"_s); error.isError())
        return error;
    SqliteStatement probe;
    DbError error = prepareSqlite(probe, u"PRAGMA user_version = "_s + QString::number(schemaVersion));
    if (!error.isError()) {
        if (const int rc = probe.step(); rc != SQLITE_DONE) {
            const int extendedCode = sqlite3_extended_errcode(m_handle);
            error = (rc & 0xff) == SQLITE_READONLY ? readOnlyFileError(m_path, extendedCode) : errorOf(rc);
        }
    }
    probe.finalize();
    const DbError rollback = executeSql(u"ROLLBACK"_s);
    return error.isError() ? error : rollback;
}

DbError AuditDatabase::openCentral(const QString& connectionText, const QString& station, Access access,
                                   int statementTimeoutMs)
{
    close();
    m_path = maskedConnectionText(connectionText);
    m_access = access;
    auto connection = std::make_unique<PgConnection>();
    const DbError error =
        access == Access::ReadWrite
            ? openStationSession(*connection, connectionText, station, QSysInfo::machineHostName())
            : openReaderSession(*connection, connectionText, statementTimeoutMs);
    if (!error.isError()) {
        m_central = std::move(connection);
        m_centralText = connectionText;
        m_statementTimeoutMs = statementTimeoutMs;
    }
    return error;
}

DbError AuditDatabase::openSecondReader(AuditDatabase& reader) const
{
    if (!isCentral() || m_access != Access::ReadOnly)
        return {DbErrorNumber::Unspecified, u"A second reader is opened on a central database's reader only."_s};
    return reader.openCentral(m_centralText, QString(), Access::ReadOnly, m_statementTimeoutMs);
}

std::unique_ptr<PgCancel> AuditDatabase::canceller() const
{
    return isCentral() ? std::make_unique<PgCancel>(m_central->handle()) : nullptr;
}

void AuditDatabase::close()
{
    settleInserts();
    const QList<StatementOwner*> owners = m_owners;
    for (StatementOwner* owner : owners)
        owner->releaseStatements();
    m_owners.clear();
    m_layouts.clear();
    endTransaction();
    m_copy.reset();
    m_central.reset();
    m_centralText.clear();
    m_handle = nullptr;
    if (m_connection.isValid()) {
        m_connection.close();
        m_connection = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

DbError AuditDatabase::prepare(DbStatement& statement, const QString& sql, StatementRows rows) const
{
    statement.finalize();
    statement.m_database = this;
    if (m_central == nullptr)
        return prepareSqlite(statement.m_sqlite, sql);
    statement.m_central = std::make_unique<PgStatement>(*m_central, sql, rows);
    // A reader's statement is checked now, so that one that cannot run fails before any row is
    // shown; the program's own are known to run.
    if (rows == StatementRows::InBlocks) {
        readyForStatement();
        if (const DbError error = statement.m_central->describe(); error.isError()) {
            statement.finalize();
            return error;
        }
    }
    return {};
}

DbError AuditDatabase::prepareSqlite(SqliteStatement& statement, const QString& sql) const
{
    settleInserts();
    if (m_handle == nullptr)
        return closedError();
    switch (const int rc = statement.prepare(m_handle, sql)) {
    case SQLITE_OK:
        return {};
    case SqliteStatement::noStatement:
        return {DbErrorNumber::SyntaxError,
                u"Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'."_s};
    case SqliteStatement::textAfterStatement:
        return {DbErrorNumber::SyntaxError, u"Characters found after end of SQL statement."_s};
    default:
        return errorOf(rc);
    }
}

JetTranslation AuditDatabase::translate(const QString& jetStatement) const
{
    return translateJet(
        jetStatement,
        [this](const QString& table) -> std::optional<QStringList> {
            const DbResult<TableLayout> layout = tableLayout(table);
            if (!layout.ok() || layout.value.columns.isEmpty())
                return std::nullopt;
            return layout.value.columns;
        },
        m_central ? JetEngine::Postgres : JetEngine::Sqlite);
}

DbError AuditDatabase::prepareJet(DbStatement& statement, const QString& jetStatement, StatementRows rows) const
{
    const JetTranslation translation = translate(jetStatement);
    if (!translation.ok())
        return {translation.errorNumber, translation.errorDescription};
    return prepare(statement, translation.sql, rows);
}

// With the statement's text, only the rows of the tables it names are sent first.
void AuditDatabase::readyForStatement(const QString& sql) const
{
    settleInserts();
    if (m_copy && m_copy->isActive())
        sql.isEmpty() ? m_copy->flush() : m_copy->flushFor(sql);
}

DbError AuditDatabase::failedStatement(const DbError& error) const
{
    if (m_copy && m_copy->isActive())
        m_copy->lose(error);
    return error;
}

DbError AuditDatabase::errorOf(int resultCode) const
{
    const DbError error = lastSqliteError(m_handle, resultCode, m_path);
    if (m_inTransaction && !m_transactionEndedBy.isError() && sqlite3_get_autocommit(m_handle))
        m_transactionEndedBy = error;
    return error;
}

DbError AuditDatabase::executeSql(const QString& sql) const
{
    SqliteStatement statement;
    if (const DbError error = prepareSqlite(statement, sql); error.isError())
        return error;
    const int rc = statement.stepToEnd();
    return rc == SQLITE_DONE ? DbError{} : errorOf(rc);
}

DbError AuditDatabase::runToEnd(DbStatement& statement) const
{
    return statement.stepToEnd() == DbStatement::Step::Done ? DbError{} : statement.error();
}

DbError AuditDatabase::execute(const QString& jetStatement)
{
    if (const DbError lost = lostTransaction(); lost.isError())
        return lost;
    DbStatement statement;
    if (const DbError error = prepareJet(statement, jetStatement); error.isError())
        return error;
    return runToEnd(statement);
}

DbError AuditDatabase::emptyTable(const QString& table)
{
    if (isCentral() && !m_inTransaction && truncateCentralTable(table))
        return {};
    return execute(u"DELETE * FROM "_s + table);
}

// TRUNCATE waits for every reader of the table, and new readers queue behind it: after a second
// it gives up, and the caller deletes the rows instead. Its own errors are the caller's cue to
// do so, not reported.
bool AuditDatabase::truncateCentralTable(const QString& table) const
{
    const DbResult<TableLayout> layout = tableLayout(table);
    if (!layout.ok() || m_central->execute(u"BEGIN"_s).isError())
        return false;
    const bool truncated = !m_central->execute(u"SET LOCAL lock_timeout = '1s'"_s).isError() &&
                           !m_central->execute(u"TRUNCATE "_s + quotedIdentifier(layout.value.name)).isError() &&
                           !m_central->execute(u"COMMIT"_s).isError();
    if (!truncated)
        m_central->execute(u"ROLLBACK"_s);
    return truncated;
}

DbResult<QVariant> AuditDatabase::queryValue(const QString& jetStatement)
{
    DbStatement statement;
    if (const DbError error = prepareJet(statement, jetStatement); error.isError())
        return {{}, error};
    return firstValue(statement);
}

DbResult<qint64> AuditDatabase::countRows(const QString& table, const QList<Condition>& conditions)
{
    const DbResult<TableLayout> layout = tableLayout(table);
    if (!layout.ok())
        return {0, layout.error};
    const DbResult<BoundConditions> bound = bindConditions(layout.value, conditions, 1);
    if (!bound.ok())
        return {0, bound.error};
    DbStatement statement;
    const QString where = bound.value.sql.isEmpty() ? QString() : u" WHERE "_s + bound.value.sql;
    if (const DbError error =
            prepare(statement, u"SELECT count(*) FROM "_s + quotedIdentifier(layout.value.name) + where);
        error.isError())
        return {0, error};
    for (int i = 0; i < bound.value.values.size(); ++i)
        statement.bind(i + 1, bound.value.values[i]);
    const DbResult<QVariant> count = firstValue(statement);
    return {count.value.toLongLong(), count.error};
}

DbResult<QVariant> AuditDatabase::firstValue(DbStatement& statement) const
{
    switch (statement.step()) {
    case DbStatement::Step::Row:
        return {statement.value(0), {}};
    case DbStatement::Step::Done:
        return {};
    case DbStatement::Step::Failed:
        break;
    }
    return {{}, statement.error()};
}

// On the central database the run's rows stream in with COPY inside this one transaction.
DbError AuditDatabase::beginTransaction()
{
    m_lostRows = {};
    if (m_central) {
        m_copy = std::make_unique<PgCopyTransaction>(*m_central);
        const DbError error = m_copy->begin();
        m_inTransaction = !error.isError();
        if (error.isError())
            m_copy.reset();
        return error;
    }
    const DbError error = executeSql(u"BEGIN IMMEDIATE"_s);
    m_inTransaction = !error.isError();
    return error;
}

DbError AuditDatabase::commit()
{
    if (m_copy) {
        settleInserts();
        const DbError error = m_copy->commit();
        m_copy.reset();
        endTransaction();
        return error;
    }
    if (const DbError lost = lostTransaction(); lost.isError()) {
        endTransaction();
        return lost;
    }
    const DbError error = executeSql(u"COMMIT"_s);
    // A failed COMMIT may leave the transaction open for a rollback, or have ended it.
    if (m_handle == nullptr || sqlite3_get_autocommit(m_handle))
        endTransaction();
    return error;
}

DbError AuditDatabase::rollback()
{
    settleInserts();
    endTransaction();
    if (m_copy) {
        const DbError error = m_copy->rollback();
        m_copy.reset();
        return error;
    }
    // Nothing is left to undo once the transaction has ended, by its commit or by SQLite itself.
    if (m_handle != nullptr && sqlite3_get_autocommit(m_handle))
        return {};
    return executeSql(u"ROLLBACK"_s);
}

DbError AuditDatabase::lostTransaction() const
{
    settleInserts();
    if (m_copy)
        return m_copy->lostTransaction();
    if (!transactionEnded())
        return {};
    if (m_transactionEndedBy.isError())
        return m_transactionEndedBy;
    return {DbErrorNumber::Unspecified, u"Disk or network error."_s};
}

AuditDatabase::LostRows AuditDatabase::lostRows() const
{
    settleInserts();
    return m_lostRows;
}

void AuditDatabase::countLostRow(const DbError& error) const
{
    if (m_lostRows.count++ == 0)
        m_lostRows.first = error;
}

bool AuditDatabase::transactionEnded() const
{
    if (m_copy)
        return m_copy->lostTransaction().isError();
    return m_handle != nullptr && m_inTransaction && sqlite3_get_autocommit(m_handle);
}

void AuditDatabase::settleInserts() const
{
    if (m_inserts)
        m_inserts->finish();
}

// Without a thread of their own (the system refuses one) the appends are made in place, as always.
AuditDatabase::InsertsInBackground::InsertsInBackground(AuditDatabase& database) : m_database(database)
{
    try {
        m_database.m_inserts = std::make_unique<InsertThread>(m_database);
    } catch (const std::system_error&) {
        m_database.m_inserts.reset();
    }
}

AuditDatabase::InsertsInBackground::~InsertsInBackground()
{
    m_database.m_inserts.reset();
}

void AuditDatabase::endTransaction()
{
    m_inTransaction = false;
    m_transactionEndedBy = {};
}

DbResult<TableLayout> AuditDatabase::tableLayout(const QString& table) const
{
    const QString key = table.toLower();
    if (const auto known = m_layouts.constFind(key); known != m_layouts.cend())
        return {*known, {}};
    const DbResult<TableLayout> layout = m_central ? readCentralTableLayout(table) : readTableLayout(table);
    if (layout.ok())
        m_layouts.insert(key, layout.value);
    return layout;
}

// The central database's names are cv.mdb's in lower case; the hidden row number is no column
// of the table as callers see it.
DbResult<TableLayout> AuditDatabase::readCentralTableLayout(const QString& table) const
{
    readyForStatement();
    const PgResult columns = m_central->execOne(
        u"SELECT attname, format_type(atttypid, atttypmod) FROM pg_attribute "
        "WHERE attrelid = to_regclass(quote_ident(lower($1))) AND attnum > 0 AND NOT attisdropped "
        "AND attname <> 'rowid' ORDER BY attnum"_s,
        {table});
    if (!columns.ok())
        return {{}, failedStatement(columns.error)};
    TableLayout layout{table.toLower(), {}, {}};
    for (int row = 0; row < columns.rowCount(); ++row) {
        const QString type = columns.text(row, 1);
        layout.columns.append(columns.text(row, 0));
        // timestamp is what cv.mdb declares DATETIME; date, bigint and citext read as declared.
        layout.kinds.append(columnKindOfDeclaredType(type.startsWith(u"timestamp"_s) ? u"DATETIME"_s : type));
    }
    if (layout.columns.isEmpty())
        return {{}, sqliteError(SQLITE_ERROR, u"no such table: "_s + table, m_path)};
    return {layout, {}};
}

DbResult<TableLayout> AuditDatabase::readTableLayout(const QString& table) const
{
    SqliteStatement columns;
    if (const DbError error = prepareSqlite(columns, u"PRAGMA table_info("_s + quotedIdentifier(table) + u')');
        error.isError())
        return {{}, error};
    TableLayout layout{table, {}, {}};
    int rc = SQLITE_ROW;
    while ((rc = columns.step()) == SQLITE_ROW) {
        layout.columns.append(columns.value(1).toString());
        layout.kinds.append(columnKindOfDeclaredType(columns.value(2).toString()));
    }
    if (rc != SQLITE_DONE)
        return {{}, errorOf(rc)};
    if (layout.columns.isEmpty())
        return {{}, sqliteError(SQLITE_ERROR, u"no such table: "_s + table, m_path)};
    return {layout, {}};
}

void AuditDatabase::addStatementOwner(StatementOwner* owner)
{
    if (!m_owners.contains(owner))
        m_owners.append(owner);
}

void AuditDatabase::removeStatementOwner(StatementOwner* owner)
{
    m_owners.removeAll(owner);
}

} // namespace corvane
