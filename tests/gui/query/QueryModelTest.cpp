#include "gui/query/QueryModel.h"

#include "QueryTestSupport.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

QString directoryName(int row)
{
    return u"SYS:\\D%1"_s.arg(row, 5, 10, QChar(u'0'));
}

// More rows than a few blocks, so that reading walks forward, jumps back and evicts blocks.
class QueryModelTest : public ::testing::Test
{
protected:
    static constexpr int rows = QueryModel::blockRows * (QueryModel::cachedBlocks + 3) + 17;

    void SetUp() override
    {
        {
            AuditDatabase writer;
            ASSERT_FALSE(writer.open(temp.path, AuditDatabase::Access::ReadWrite).isError());
            ASSERT_FALSE(writer.beginTransaction().isError());
            QList<test::Fields> newDirs;
            for (int i = 0; i < rows; ++i)
                newDirs.append({{u"Directory"_s, directoryName(i)}});
            test::appendRows(writer, u"NewDirs"_s, newDirs);
            ASSERT_FALSE(writer.commit().isError());
        }
        ASSERT_FALSE(database.open(temp.path, AuditDatabase::Access::ReadOnly).isError());
    }

    QString directoryAt(int row) const { return model.index(row, 0).data().toString(); }

    test::TempAuditDatabase temp;
    AuditDatabase database;
    QueryModel model{database};
};

TEST_F(QueryModelTest, RowsReadInAnyOrderMatchTheirPositionAndTheCountIsExact)
{
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_FALSE(model.run(u"SELECT Directory, Created FROM NewDirs ORDER BY Directory"_s).isError());
    EXPECT_EQ(model.rowCount(), rows);
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), u"Created"_s);
    EXPECT_EQ(model.headerData(0, Qt::Vertical).toInt(), 1);
    for (int row : {0, 1, rows - 1, 300, 5, rows / 2, 0, rows - 2})
        EXPECT_EQ(directoryAt(row), directoryName(row)) << row;
    for (int row = 0; row < rows; row += 97)
        EXPECT_EQ(directoryAt(row), directoryName(row)) << row;
    EXPECT_FALSE(model.index(0, 1).data().isNull()); // a null shows as empty text
    EXPECT_EQ(model.index(0, 1).data().toString(), QString());
}

TEST_F(QueryModelTest, AFailedRunKeepsTheRowsAndAGoodOneResetsTheModel)
{
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_FALSE(model.run(u"SELECT * FROM NewDirs"_s).isError());
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    EXPECT_TRUE(model.run(u"SELECT * FROM Nowhere"_s).isError());
    EXPECT_TRUE(model.run(u"SELECT * FROM NewDirs;; DELETE * FROM NewDirs"_s).isError());
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(model.statement(), u"SELECT * FROM NewDirs"_s);
    EXPECT_EQ(model.rowCount(), rows);

    ASSERT_FALSE(model.run(u"SELECT TOP 5 Directory FROM NewDirs ORDER BY Directory DESC;"_s).isError());
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(directoryAt(0), directoryName(rows - 1));
}

TEST_F(QueryModelTest, RowsOnShowHoldNoLockThatKeepsAScanFromCommitting)
{
    ASSERT_FALSE(model.run(u"SELECT * FROM NewDirs ORDER BY Directory"_s).isError());
    EXPECT_EQ(directoryAt(QueryModel::blockRows + 3), directoryName(QueryModel::blockRows + 3));
    AuditDatabase scan;
    ASSERT_FALSE(scan.open(temp.path, AuditDatabase::Access::ReadWrite, 100).isError());
    ASSERT_FALSE(scan.beginTransaction().isError());
    test::appendRows(scan, u"NewDirs"_s, {{{u"Directory"_s, u"SYS:\\NEW"_s}}});
    EXPECT_FALSE(scan.commit().isError());
}

} // namespace
