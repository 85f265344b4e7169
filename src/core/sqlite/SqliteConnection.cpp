#include "core/sqlite/SqliteConnection.h"

#include "core/sqlite/SqliteStatement.h"

#include <QFile>

#include <sqlite3.h>

namespace corvane {

SqliteConnection::~SqliteConnection()
{
    close();
}

int SqliteConnection::open(const QString& path, Mode mode, int busyTimeoutMs)
{
    close();
    const QByteArray name = QFile::encodeName(path);
    const int flags = mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    // Even a failed opening gives a handle (but for want of memory), which holds the error's words.
    const int rc = sqlite3_open_v2(name.constData(), &m_db, flags, nullptr);
    if (rc == SQLITE_OK)
        sqlite3_busy_timeout(m_db, busyTimeoutMs);
    return rc;
}

void SqliteConnection::close()
{
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

int SqliteConnection::execute(const QString& sql)
{
    SqliteStatement statement;
    if (const int rc = prepare(statement, sql); rc != SQLITE_OK)
        return rc;
    const int rc = statement.stepToEnd();
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int SqliteConnection::executeScript(const char* sql)
{
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
}

int SqliteConnection::prepare(SqliteStatement& statement, const QString& sql) const
{
    return statement.prepare(m_db, sql);
}

QString SqliteConnection::errorMessage() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
}

} // namespace corvane
