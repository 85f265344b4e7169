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

// Stored values are bound only when they differ from the binding SQLite keeps; whichever way the
// parameter was bound before, the statement reads what was bound last.
TEST_F(SqliteStatementTest, StoredValuesReadAsBoundLastWhateverWasBoundBefore)
{
    const auto steppedUtf8 = [this](const QByteArray& utf8) {
        std::string buffer = utf8.toStdString();
        echo.bindUtf8(1, buffer.data(), static_cast<int>(buffer.size()));
        buffer.assign(buffer.size(), '#'); // the caller's buffer is free once bound
        const QVariant read = echo.step() == SQLITE_ROW ? echo.value(0) : QVariant(u"<no row>"_s);
        echo.reset();
        return read;
    };
    const auto steppedInteger = [this](qint64 value) {
        echo.bindInteger(1, value);
        const QVariant read = echo.step() == SQLITE_ROW ? echo.value(0) : QVariant(u"<no row>"_s);
        echo.reset();
        return read;
    };
    const QString held = u"JÜRGEN"_s;
    EXPECT_EQ(stepped(held), QVariant(held));
    EXPECT_EQ(steppedUtf8("JÜRGEN"), QVariant(held)); // equal bytes, kept bound
    EXPECT_EQ(steppedUtf8("BOB"), QVariant(u"BOB"_s));
    EXPECT_EQ(stepped(held), QVariant(held)); // the held text must be bound again
    EXPECT_EQ(steppedUtf8("").typeId(), QMetaType::QString) << "an empty text, not NULL";
    EXPECT_EQ(steppedInteger(7), QVariant(qlonglong{7}));
    EXPECT_EQ(steppedInteger(7), QVariant(qlonglong{7}));
    EXPECT_EQ(stepped(qint64{8}), QVariant(qlonglong{8}));
    EXPECT_EQ(steppedInteger(7), QVariant(qlonglong{7}));
    echo.bindNull(1);
    EXPECT_EQ(echo.step(), SQLITE_ROW);
    EXPECT_TRUE(echo.value(0).isNull());
    echo.reset();
    EXPECT_EQ(steppedUtf8("7"), QVariant(u"7"_s));
    EXPECT_EQ(stepped(1.5), QVariant(1.5));
    EXPECT_EQ(steppedInteger(7), QVariant(qlonglong{7}));
}

} // namespace
} // namespace corvane
