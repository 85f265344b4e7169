#include "AuditDatabaseFixture.h"
#include "mock/RefusedRows.h"

#include <optional>

using namespace corvane;
using namespace Qt::StringLiterals;
using corvane::test::Fields;
using corvane::test::rowCount;
using corvane::test::TempAuditDatabase;

namespace {

Fields detailRow(const QString& file)
{
    return {{u"Directory"_s, u"\\\\S1\\VOL:DATA"_s}, {u"file"_s, file}};
}

// A cv.mdb that refuses some rows one by one while the transaction goes on.
class LostRowsTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        test::refuseDetailRowsOfBadFiles(temp.path);
        ASSERT_FALSE(database.open(temp.path, AuditDatabase::Access::ReadWrite).isError());
    }

    // Appends the files in one transaction, in place or in the background as the scan does.
    void appendInOneTransaction(const QStringList& files)
    {
        ASSERT_FALSE(database.beginTransaction().isError());
        RowSet detail(database);
        ASSERT_FALSE(detail.open(u"Detail"_s).isError());
        std::optional<AuditDatabase::InsertsInBackground> inserts;
        if (GetParam())
            inserts.emplace(database);
        for (const QString& file : files) {
            detail.addNew();
            for (const auto& [column, value] : detailRow(file))
                detail.setField(column, value);
            detail.update();
        }
    }

    TempAuditDatabase temp;
    AuditDatabase database;
};

TEST_P(LostRowsTest, RefusedAppendsAreCountedWithTheFirstError)
{
    QStringList files;
    for (int i = 0; i < 1000; ++i)
        files.append((i % 100 == 7 ? u"BAD%1"_s : u"good%1"_s).arg(i));
    appendInOneTransaction(files);
    const AuditDatabase::LostRows lost = database.lostRows();
    EXPECT_EQ(lost.count, 10);
    EXPECT_EQ(lost.first.text(), u"Error -2147467259 : row refused"_s);
    EXPECT_FALSE(database.lostTransaction().isError()) << "the transaction goes on";
    ASSERT_FALSE(database.commit().isError());
    EXPECT_EQ(rowCount(database, u"Detail"_s), 990);

    // Each transaction counts its own.
    appendInOneTransaction({u"good"_s});
    EXPECT_EQ(database.lostRows().count, 0);
    EXPECT_FALSE(database.commit().isError());
}

INSTANTIATE_TEST_SUITE_P(InPlaceAndInTheBackground, LostRowsTest, ::testing::Bool());

} // namespace
