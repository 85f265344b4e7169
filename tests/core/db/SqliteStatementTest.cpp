#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteStatement.h"

#include <QDate>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

// A statement that reads its one parameter back, bound again and again as the appends bind theirs.
class SqliteStatementTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_EQ(connection.open(folder.filePath(u"t.db"_s), SqliteConnection::Mode::ReadWriteNew, 1000),
                  SQLITE_OK);
        ASSERT_EQ(connection.prepare(echo, u"SELECT ?1"_s), SQLITE_OK);
    }

    QVariant stepped(const QVariant& value)
    {
        echo.bind(1, value);
        const int rc = echo.step();
        const QVariant read = rc == SQLITE_ROW ? echo.value(0) : QVariant(u"<no row>"_s);
        echo.reset();
        return read;
    }

    QTemporaryDir folder;
    SqliteConnection connection;
    SqliteStatement echo;
};

TEST_F(SqliteStatementTest, ATextBoundAgainReadsAsItIsNow)
{
    QString directory = u"\\\\SRV1\\VOL1:DATA"_s;
    EXPECT_EQ(stepped(directory), QVariant(directory));
    EXPECT_EQ(stepped(directory), QVariant(directory)); // the same text, kept bound
    // A text changed in place is data of its own, never the one bound before.
    directory[2] = u'X';
    EXPECT_EQ(stepped(directory), QVariant(u"\\\\XRV1\\VOL1:DATA"_s));
    EXPECT_EQ(stepped(u"other"_s), QVariant(u"other"_s));
}

TEST_F(SqliteStatementTest, AnotherKindOfValueBetweenTwoBindingsOfOneText)
{
    const QString text = u"alice"_s;
    EXPECT_EQ(stepped(text), QVariant(text));
    EXPECT_EQ(stepped(qint64{42}), QVariant(qlonglong{42}));
    EXPECT_EQ(stepped(QVariant()), QVariant());
    EXPECT_EQ(stepped(text), QVariant(text));
}

TEST_F(SqliteStatementTest, DatesBindAsTheirStoredText)
{
    EXPECT_EQ(stepped(QDate(2026, 12, 9)), QVariant(u"2026-12-09"_s));
    EXPECT_EQ(stepped(QDate(2026, 12, 9)), QVariant(u"2026-12-09"_s));
    EXPECT_EQ(stepped(QDate(2026, 12, 10)), QVariant(u"2026-12-10"_s));
}

// A prepared statement starts with no bindings: nothing is taken as bound from before.
TEST_F(SqliteStatementTest, APreparedStatementStartsUnbound)
{
    const QString text = u"kept"_s;
    EXPECT_EQ(stepped(text), QVariant(text));
    ASSERT_EQ(connection.prepare(echo, u"SELECT ?1"_s), SQLITE_OK);
    EXPECT_EQ(stepped(text), QVariant(text));
}

} // namespace
} // namespace corvane
