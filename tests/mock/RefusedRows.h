#pragma once

#include <QString>

#include <gtest/gtest.h>

#include <sqlite3.h>

namespace corvane::test {

// Makes the cv.mdb at path refuse, one by one, every Detail row of a file whose name begins with
// "BAD", as SQLite refuses a row it cannot store while the transaction goes on: a trigger of the
// test's own, which the opening does not mind. The refusal reads "row refused".
inline void refuseDetailRowsOfBadFiles(const QString& path)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db,
                           "CREATE TRIGGER refuse BEFORE INSERT ON Detail WHEN NEW.file LIKE 'BAD%' "
                           "BEGIN SELECT RAISE(ABORT, 'row refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
}

} // namespace corvane::test
