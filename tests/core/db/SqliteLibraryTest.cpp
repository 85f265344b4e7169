#include "core/sqlite/SqliteConnection.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

// The test program sets the library up as the program does, first thing in main(): had anything
// started SQLite before, its connections would still lock around every call.
TEST(SqliteLibraryTest, ConnectionsAreOpenedWithoutTheirOwnLock)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    SqliteConnection connection;
    ASSERT_EQ(connection.open(folder.filePath(u"t.db"_s), SqliteConnection::Mode::ReadWriteNew, 0),
              SQLITE_OK);
    EXPECT_EQ(sqlite3_db_mutex(connection.handle()), nullptr);
    EXPECT_EQ(sqlite3_memory_used(), 0); // no statistics kept
}

} // namespace
} // namespace corvane
