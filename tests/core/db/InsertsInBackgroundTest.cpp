#include "AuditDatabaseFixture.h"

#include <QDate>
#include <QDateTime>

using namespace corvane;
using namespace Qt::StringLiterals;
using corvane::test::appendRow;
using corvane::test::Fields;
using corvane::test::TempAuditDatabase;

namespace {

// More rows than the insert thread's batches and queue hold at once, so that the scan's side
// waits for room and every hand-over happens.
constexpr int manyRows = 3000;

Fields detailRow(int n)
{
    return {{u"Directory"_s, u"\\\\SRV\\VOL:DIR%1"_s.arg(n % 7)},
            {u"Created"_s, QDateTime(QDate(2026, 12, 7), QTime(9, n % 60, 0), Qt::UTC)},
            {u"owner"_s, n % 5 == 0 ? QVariant() : QVariant(u"JÜRGEN"_s)},
            {u"file"_s, u"report-%1.doc"_s.arg(n)},
            {u"SysDate"_s, QDate(2026, 12, 7)},
            {u"Bytes"_s, qint64{n} * 1000}};
}

Fields newFileRow(int n)
{
    return {{u"Directory"_s, u"\\\\SRV\\VOL:DIR%1"_s.arg(n % 7)}, {u"file"_s, u"new-%1"_s.arg(n)}};
}

// Every row of a table in rowid order, each as its values joined.
QStringList tableRows(AuditDatabase& database, const QString& table)
{
    RowSet rows(database);
    if (rows.open(table).isError())
        return {u"cannot open "_s + table};
    QStringList all;
    for (; !rows.isEof(); rows.moveNext()) {
        QStringList values;
        for (const QString& column : rows.fieldNames())
            values.append(rows.value(column).toString());
        all.append(values.join(u'|'));
    }
    return all;
}

// Detail and NewFiles rows interleaved, as the scan appends them, in one transaction.
void appendScanRows(AuditDatabase& database, bool inBackground)
{
    ASSERT_FALSE(database.beginTransaction().isError());
    RowSet detail(database);
    RowSet newFiles(database);
    ASSERT_FALSE(detail.open(u"Detail"_s).isError());
    ASSERT_FALSE(newFiles.open(u"NewFiles"_s).isError());
    {
        std::optional<AuditDatabase::InsertsInBackground> inserts;
        if (inBackground)
            inserts.emplace(database);
        for (int n = 0; n < manyRows; ++n) {
            if (n % 3 == 0)
                appendRow(newFiles, newFileRow(n));
            appendRow(detail, detailRow(n));
        }
    }
    ASSERT_FALSE(database.commit().isError());
}

TEST(InsertsInBackground, StoreTheSameRowsInTheSameOrderAsAppendsMadeInPlace)
{
    TempAuditDatabase inPlaceFile;
    TempAuditDatabase backgroundFile;
    AuditDatabase inPlace;
    AuditDatabase background;
    ASSERT_FALSE(inPlace.open(inPlaceFile.path, AuditDatabase::Access::ReadWrite).isError());
    ASSERT_FALSE(background.open(backgroundFile.path, AuditDatabase::Access::ReadWrite).isError());
    appendScanRows(inPlace, false);
    appendScanRows(background, true);

    const QStringList detail = tableRows(background, u"Detail"_s);
    ASSERT_EQ(detail.size(), manyRows);
    EXPECT_EQ(detail, tableRows(inPlace, u"Detail"_s));
    EXPECT_EQ(tableRows(background, u"NewFiles"_s), tableRows(inPlace, u"NewFiles"_s));
    EXPECT_TRUE(detail.first().contains(u"2026-12-07"_s)) << detail.first().toStdString();
}

class InsertsInBackgroundTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(database.open(temp.path, AuditDatabase::Access::ReadWrite).isError());
        ASSERT_FALSE(database.beginTransaction().isError());
        ASSERT_FALSE(detail.open(u"Detail"_s).isError());
    }

    void appendDetail(int from, int to)
    {
        for (int n = from; n < to; ++n)
            appendRow(detail, detailRow(n));
    }

    TempAuditDatabase temp;
    AuditDatabase database;
    RowSet detail{database};
};

TEST_F(InsertsInBackgroundTest, EveryOtherUseOfTheConnectionSeesTheRowsAppendedSoFar)
{
    const AuditDatabase::InsertsInBackground inserts(database);
    appendDetail(0, manyRows);
    EXPECT_EQ(database.countRows(u"Detail"_s, {}).value, manyRows);
    appendDetail(manyRows, manyRows + 10);
    EXPECT_EQ(database.queryValue(u"SELECT COUNT(*) FROM Detail"_s).value.toLongLong(), manyRows + 10);

    // The last row appended is the current one, as after an append made in place.
    EXPECT_EQ(detail.value(u"file"_s).toString(), u"report-%1.doc"_s.arg(manyRows + 9));
    const std::optional<RowSet::Bookmark> last = detail.bookmark();
    ASSERT_TRUE(last.has_value());
    ASSERT_FALSE(detail.moveFirst().isError());
    EXPECT_EQ(detail.value(u"file"_s).toString(), u"report-0.doc"_s);
    ASSERT_FALSE(detail.moveToBookmark(*last).isError());
    EXPECT_EQ(detail.value(u"file"_s).toString(), u"report-%1.doc"_s.arg(manyRows + 9));
    EXPECT_FALSE(database.commit().isError());
}

TEST_F(InsertsInBackgroundTest, AValueThatDoesNotConvertLeavesItsColumnEmptyAndTheRowIsStored)
{
    {
        const AuditDatabase::InsertsInBackground inserts(database);
        detail.addNew();
        detail.setField(u"file"_s, u"a.doc"_s);
        detail.setField(u"Bytes"_s, u"many"_s);
        detail.setField(u"Created"_s, u"13/45/2026"_s);
        detail.setField(u"LastAccess"_s, u"12/7/2026"_s);
        EXPECT_FALSE(detail.update().isError());
    }
    ASSERT_FALSE(detail.moveFirst().isError());
    EXPECT_EQ(detail.value(u"file"_s).toString(), u"a.doc"_s);
    EXPECT_TRUE(detail.value(u"Bytes"_s).isNull());
    EXPECT_TRUE(detail.value(u"Created"_s).isNull());
    EXPECT_EQ(detail.value(u"LastAccess"_s).toDate(), QDate(2026, 12, 7));
}

// A stopped run rolls back while rows may still be on their way: none of them may be left.
TEST_F(InsertsInBackgroundTest, ARollbackTakesAwayTheRowsStillOnTheirWay)
{
    {
        const AuditDatabase::InsertsInBackground inserts(database);
        appendDetail(0, manyRows);
        ASSERT_FALSE(database.rollback().isError());
    }
    EXPECT_EQ(database.countRows(u"Detail"_s, {}).value, 0);
}

TEST_F(InsertsInBackgroundTest, RowSetsAndTheDatabaseCloseWhileRowsAreOnTheirWay)
{
    {
        const AuditDatabase::InsertsInBackground inserts(database);
        appendDetail(0, manyRows);
        detail.close();
        ASSERT_FALSE(database.commit().isError());
        ASSERT_FALSE(detail.open(u"Detail"_s).isError());
        appendDetail(0, 10);
        database.close();
    }
    // The ten appended after the commit were each their own change, as appends made in place are.
    ASSERT_FALSE(database.open(temp.path, AuditDatabase::Access::ReadWrite).isError());
    EXPECT_EQ(database.countRows(u"Detail"_s, {}).value, manyRows + 10);
}

} // namespace
