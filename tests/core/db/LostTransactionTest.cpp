#include "AuditDatabaseFixture.h"
#include "mock/FileSizeLimit.h"

#include <QFileInfo>

#include <sqlite3.h>

using namespace corvane;
using namespace Qt::StringLiterals;
using corvane::test::appendRow;
using corvane::test::appendRows;
using corvane::test::Fields;
using corvane::test::FileSizeLimit;
using corvane::test::rowCount;
using corvane::test::TempAuditDatabase;

namespace {

const Fields detailRow = {{u"Directory"_s, u"\\\\S1\\VOL:DATA"_s}, {u"file"_s, QString(200, u'x')}};

// Two rows stored, then a run's transaction begun on a cache so small that it spills after a few
// rows, long before the commit.
class LostTransactionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(database.open(temp.path, AuditDatabase::Access::ReadWrite).isError());
        appendRows(database, u"Detail"_s, {detailRow, detailRow});
        ASSERT_EQ(sqlite3_exec(database.handle(), "PRAGMA cache_size = 4", nullptr, nullptr, nullptr),
                  SQLITE_OK);
        ASSERT_FALSE(database.beginTransaction().isError());
        ASSERT_FALSE(detail.open(u"Detail"_s).isError());
    }

    TempAuditDatabase temp;
    AuditDatabase database;
    RowSet detail{database};
};

// A write that fails while the pages of a transaction spill to disk makes SQLite end the
// transaction. Without a guard every later append would commit on its own: part of a run stored,
// reported as failed.
TEST_F(LostTransactionTest, WritesAfterSqliteEndedTheTransactionAreRefused)
{
    DbError failure;
    {
        const FileSizeLimit limit(QFileInfo(temp.path).size());
        for (int row = 0; row < 5000 && !failure.isError(); ++row) {
            detail.addNew();
            for (const auto& [column, value] : detailRow)
                detail.setField(column, value);
            failure = detail.update();
        }
    }
    ASSERT_TRUE(failure.isError()) << "the limit never stopped a write";
    EXPECT_EQ(failure.description, u"Disk or network error."_s);
    EXPECT_EQ(database.lostTransaction().description, failure.description);

    // There is room again, yet nothing more is written until the run ends.
    detail.addNew();
    EXPECT_EQ(detail.update().description, failure.description);
    EXPECT_EQ(database.execute(u"DELETE * FROM Detail"_s).description, failure.description);
    EXPECT_EQ(database.commit().description, failure.description);
    EXPECT_FALSE(database.rollback().isError());
    EXPECT_EQ(rowCount(database, u"Detail"_s), 2);

    // The next transaction is whole again.
    ASSERT_FALSE(database.beginTransaction().isError());
    appendRow(detail, detailRow);
    EXPECT_FALSE(database.commit().isError());
    EXPECT_EQ(rowCount(database, u"Detail"_s), 3);
    EXPECT_FALSE(database.lostTransaction().isError());
}

// The scan's appends are stepped on a thread of their own: the failure ends the transaction there,
// and what follows must be refused all the same.
TEST_F(LostTransactionTest, RowsAppendedInTheBackgroundAfterSqliteEndedTheTransactionAreNotStored)
{
    {
        const FileSizeLimit limit(QFileInfo(temp.path).size());
        const AuditDatabase::InsertsInBackground inserts(database);
        for (int row = 0; row < 5000; ++row)
            appendRow(detail, detailRow);
    }
    const DbError lost = database.lostTransaction();
    ASSERT_TRUE(lost.isError()) << "the limit never stopped a write";
    EXPECT_EQ(lost.description, u"Disk or network error."_s);
    EXPECT_EQ(database.commit().description, lost.description);
    EXPECT_FALSE(database.rollback().isError());
    EXPECT_EQ(rowCount(database, u"Detail"_s), 2);
}

TEST(LostTransaction, ACommittedOrRolledBackTransactionIsNoLostOne)
{
    TempAuditDatabase temp;
    AuditDatabase database;
    ASSERT_FALSE(database.open(temp.path, AuditDatabase::Access::ReadWrite).isError());
    ASSERT_FALSE(database.beginTransaction().isError());
    appendRows(database, u"Detail"_s, {detailRow});
    ASSERT_FALSE(database.rollback().isError());
    EXPECT_FALSE(database.lostTransaction().isError());
    EXPECT_FALSE(database.execute(u"DELETE * FROM Detail"_s).isError());
    EXPECT_EQ(rowCount(database, u"Detail"_s), 0);
}

} // namespace
