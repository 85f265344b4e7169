#include "core/sqlite/SqliteWriteback.h"
#include "core/sqlite/SqliteConnection.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

class SqliteWritebackTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_EQ(connection.open(path(), SqliteConnection::Mode::ReadWriteNew, 0), SQLITE_OK);
        ASSERT_EQ(connection.execute(u"CREATE TABLE t (v TEXT)"_s), SQLITE_OK);
    }

    QString path() const { return folder.filePath(u"t.db"_s); }

    // Whether another process may start writing the file now: it may not while this one holds
    // its reserved lock.
    bool anotherProcessMayWrite() const
    {
        const QByteArray file = path().toLocal8Bit();
        const pid_t child = fork();
        if (child == 0) {
            sqlite3* db = nullptr;
            const bool began = sqlite3_open(file.constData(), &db) == SQLITE_OK &&
                               sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
            _exit(began ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    QTemporaryDir folder;
    SqliteConnection connection;
};

TEST_F(SqliteWritebackTest, FindsTheFileOfAConnectionOnlyWhenItHasOne)
{
    EXPECT_TRUE(SqliteWriteback(connection.handle()).found());
    // A second connection to the same file: either descriptor writes the same file back.
    SqliteConnection second;
    ASSERT_EQ(second.open(path(), SqliteConnection::Mode::ReadWriteNew, 0), SQLITE_OK);
    EXPECT_TRUE(SqliteWriteback(second.handle()).found());

    for (const QString& fileless : {u":memory:"_s, QString()}) {
        SqliteConnection other;
        ASSERT_EQ(other.open(fileless, SqliteConnection::Mode::ReadWriteNew, 0), SQLITE_OK);
        EXPECT_FALSE(SqliteWriteback(other.handle()).found()) << qPrintable(fileless);
    }
    EXPECT_FALSE(SqliteWriteback(nullptr).found());
}

// The file is never opened once more: closing such a descriptor would drop this process's locks.
TEST_F(SqliteWritebackTest, LeavesTheLocksOfTheTransactionInPlace)
{
    ASSERT_EQ(connection.execute(u"BEGIN IMMEDIATE"_s), SQLITE_OK);
    ASSERT_EQ(connection.execute(u"INSERT INTO t VALUES ('row')"_s), SQLITE_OK);
    ASSERT_FALSE(anotherProcessMayWrite());
    {
        const SqliteWriteback writeback(connection.handle());
        ASSERT_TRUE(writeback.found());
        writeback.start();
    }
    EXPECT_FALSE(anotherProcessMayWrite());
    ASSERT_EQ(connection.execute(u"COMMIT"_s), SQLITE_OK);
    EXPECT_TRUE(anotherProcessMayWrite());
}

} // namespace
} // namespace corvane
