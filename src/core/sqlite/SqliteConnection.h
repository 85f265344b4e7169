#pragma once

#include <QString>

struct sqlite3;

namespace corvane {

class SqliteStatement;

// One SQLite file opened by the program itself (not through Qt's driver), closed when the object
// goes. Result codes are SQLite's; errorMessage() says what the last failed call met.
class SqliteConnection
{
public:
    enum class Mode
    {
        ReadOnly,     // an existing file, never changed
        ReadWriteNew, // made when missing
    };

    SqliteConnection() = default;
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    int open(const QString& path, Mode mode, int busyTimeoutMs);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    sqlite3* handle() const { return m_db; }

    // One statement, stepped to its end: SQLITE_OK when it ran through.
    int execute(const QString& sql);
    // Statements one after the other, as a schema is written; the first failure stops them.
    int executeScript(const char* sql);
    int prepare(SqliteStatement& statement, const QString& sql) const;
    QString errorMessage() const;

private:
    sqlite3* m_db = nullptr;
};

} // namespace corvane
