#pragma once

#include <QString>

#include <gtest/gtest.h>

#include <sqlite3.h>

namespace corvane::test {

// Statements run straight on an SQLite file, past the program's own layer: rows as another
// program could have written them, or a purge done behind the test's back.
inline void runSqliteScript(const QString& path, const char* statements)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, statements, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

} // namespace corvane::test
