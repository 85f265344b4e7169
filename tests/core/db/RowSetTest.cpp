#include "AuditDatabaseFixture.h"

#include <QDate>
#include <QDateTime>

using namespace corvane;
using corvane::test::appendRow;
using corvane::test::TempAuditDatabase;

namespace {

const QDate scanDate(2026, 12, 7);

QString directoryOf(const RowSet& rows)
{
    return rows.value(QStringLiteral("Directory")).toString();
}

class RowSetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(database.open(temp.path, AuditDatabase::Access::ReadWrite).isError());
    }

    // Detail rows of two days, appended in this order.
    void appendDetail(const QList<std::pair<QString, QDate>>& rows)
    {
        RowSet detail(database);
        ASSERT_FALSE(detail.open(QStringLiteral("Detail")).isError());
        for (const auto& [directory, day] : rows)
            appendRow(detail, {{QStringLiteral("Directory"), directory}, {QStringLiteral("SysDate"), day}});
    }

    QStringList readAll(RowSet& rows)
    {
        QStringList directories;
        for (rows.moveFirst(); !rows.isEof(); rows.moveNext())
            directories.append(directoryOf(rows));
        return directories;
    }

    TempAuditDatabase temp;
    AuditDatabase database;
};

TEST_F(RowSetTest, RowsComeBackInAppendOrderWithTheirValues)
{
    RowSet detail(database);
    ASSERT_FALSE(detail.open(QStringLiteral("detail")).isError());
    EXPECT_TRUE(detail.isEof());
    const QDateTime created(scanDate, QTime(14, 5, 6));
    appendRow(detail, {{QStringLiteral("DIRECTORY"), QStringLiteral("\\\\S1\\VOL:B")},
                       {QStringLiteral("created"), created},
                       {QStringLiteral("Owner"), QStringLiteral("ADMIN")},
                       {QStringLiteral("LastAccess"), QStringLiteral("12/7/2026 0:0:0")},
                       {QStringLiteral("SysDate"), scanDate},
                       {QStringLiteral("bytes"), 1234}});
    appendRow(detail, {{QStringLiteral("Directory"), QStringLiteral("\\\\S1\\VOL:A")}});

    ASSERT_FALSE(detail.moveFirst().isError());
    EXPECT_EQ(directoryOf(detail), QStringLiteral("\\\\S1\\VOL:B"));
    EXPECT_EQ(detail.value(QStringLiteral("Created")).toDateTime(), created);
    EXPECT_EQ(detail.value(QStringLiteral("OWNER")).toString(), QStringLiteral("ADMIN"));
    EXPECT_EQ(detail.value(QStringLiteral("LastAccess")).toDate(), scanDate);
    EXPECT_EQ(detail.value(QStringLiteral("SysDate")).toDate(), scanDate);
    EXPECT_EQ(detail.value(QStringLiteral("Bytes")).toLongLong(), 1234);
    // Columns nobody set hold no value.
    EXPECT_TRUE(detail.value(QStringLiteral("Editor")).isNull());
    EXPECT_TRUE(detail.value(QStringLiteral("lastedit")).isNull());

    ASSERT_FALSE(detail.moveNext().isError());
    EXPECT_EQ(directoryOf(detail), QStringLiteral("\\\\S1\\VOL:A"));
    EXPECT_TRUE(detail.value(QStringLiteral("SysDate")).isNull());
    ASSERT_FALSE(detail.moveNext().isError());
    EXPECT_TRUE(detail.isEof());
    EXPECT_TRUE(detail.moveNext().isError());
    EXPECT_EQ(detail.rowCount().value, 2);
}

TEST_F(RowSetTest, AFieldThatDoesNotConvertStaysEmptyAndTheRowIsStillStored)
{
    RowSet detail(database);
    ASSERT_FALSE(detail.open(QStringLiteral("Detail")).isError());
    detail.addNew();
    EXPECT_EQ(detail.setField(QStringLiteral("Created"), QStringLiteral("0/0/1980 14:5:6")).number,
              DbErrorNumber::TypeMismatch);
    EXPECT_EQ(detail.setField(QStringLiteral("lastedit"), QStringLiteral("12/11/2003 14:5:60")).number,
              DbErrorNumber::TypeMismatch);
    EXPECT_EQ(detail.setField(QStringLiteral("Bytes"), QStringLiteral("many")).number,
              DbErrorNumber::TypeMismatch);
    EXPECT_TRUE(detail.setField(QStringLiteral("NoSuchColumn"), 1).isError());
    EXPECT_FALSE(detail.setField(QStringLiteral("file"), QStringLiteral("a.txt")).isError());
    ASSERT_FALSE(detail.update().isError());

    ASSERT_FALSE(detail.moveFirst().isError());
    EXPECT_EQ(detail.value(QStringLiteral("file")).toString(), QStringLiteral("a.txt"));
    EXPECT_TRUE(detail.value(QStringLiteral("Created")).isNull());
    EXPECT_TRUE(detail.value(QStringLiteral("lastedit")).isNull());
    EXPECT_TRUE(detail.value(QStringLiteral("Bytes")).isNull());
}

// Appends reuse their buffers row after row: each row keeps its own text, whatever came before.
TEST_F(RowSetTest, TextsOfLongShortAndNonAsciiValuesComeBackAsAppended)
{
    const QStringList owners{QStringLiteral("A LONGER OWNER NAME"),
                             QStringLiteral("BOB"),
                             QStringLiteral("J\u00C9R\u00D4ME \u65E5\u672C \U0001F600"),
                             QStringLiteral("AL"),
                             QString(),
                             QStringLiteral("\u00E9")};
    RowSet detail(database);
    ASSERT_FALSE(detail.open(QStringLiteral("Detail")).isError());
    for (const QString& owner : owners)
        appendRow(detail,
                  {{QStringLiteral("owner"), owner}, {QStringLiteral("file"), QString(owner + u'x')}});

    QStringList read;
    for (detail.moveFirst(); !detail.isEof(); detail.moveNext()) {
        read.append(detail.value(QStringLiteral("owner")).toString());
        EXPECT_EQ(detail.value(QStringLiteral("file")).toString(), read.last() + u'x');
    }
    EXPECT_EQ(read, owners);
}

TEST_F(RowSetTest, UpdateWithoutAddNewAppendsNothing)
{
    RowSet temp(database);
    ASSERT_FALSE(temp.open(QStringLiteral("Temp")).isError());
    EXPECT_TRUE(temp.update().isError());
    EXPECT_TRUE(temp.setField(QStringLiteral("Directory"), QStringLiteral("x")).isError());
    EXPECT_EQ(temp.rowCount().value, 0);
}

TEST_F(RowSetTest, EmptyTextIsKeptApartFromNoValue)
{
    RowSet temp(database);
    ASSERT_FALSE(temp.open(QStringLiteral("Temp")).isError());
    appendRow(temp, {{QStringLiteral("Directory"), QString()}});
    appendRow(temp, {{QStringLiteral("Date"), scanDate}});
    temp.moveFirst();
    EXPECT_FALSE(temp.value(QStringLiteral("Directory")).isNull());
    EXPECT_EQ(temp.value(QStringLiteral("Directory")).toString(), QString());
    temp.moveNext();
    EXPECT_TRUE(temp.value(QStringLiteral("Directory")).isNull());
}

TEST_F(RowSetTest, FindSearchesForwardFromTheCurrentRowIncluded)
{
    const QDate dayBefore = scanDate.addDays(-1);
    appendDetail({{QStringLiteral("A"), dayBefore},
                  {QStringLiteral("B"), dayBefore},
                  {QStringLiteral("C"), scanDate},
                  {QStringLiteral("D"), scanDate},
                  {QStringLiteral("C"), scanDate}});
    RowSet detail(database);
    ASSERT_FALSE(detail.open(QStringLiteral("Detail")).isError());

    ASSERT_FALSE(detail.find({QStringLiteral("SysDate"), Comparison::GreaterOrEqual, scanDate}).isError());
    EXPECT_EQ(directoryOf(detail), QStringLiteral("C"));
    // The current row matches: it is found again, none skipped.
    detail.find({QStringLiteral("sysdate"), Comparison::GreaterOrEqual, scanDate});
    EXPECT_EQ(directoryOf(detail), QStringLiteral("C"));
    detail.moveNext();
    detail.find({QStringLiteral("Directory"), Comparison::Equal, QStringLiteral("c")});
    EXPECT_EQ(directoryOf(detail), QStringLiteral("C"));
    EXPECT_EQ(detail.value(QStringLiteral("SysDate")).toDate(), scanDate);
    detail.moveNext();
    detail.find({QStringLiteral("Directory"), Comparison::Equal, QStringLiteral("C")});
    EXPECT_TRUE(detail.isEof());

    detail.moveFirst();
    detail.find({QStringLiteral("SysDate"), Comparison::Greater, scanDate});
    EXPECT_TRUE(detail.isEof());
    detail.moveFirst();
    EXPECT_EQ(
        detail.find({QStringLiteral("SysDate"), Comparison::Equal, QStringLiteral("not a date")}).number,
        DbErrorNumber::TypeMismatch);
}

TEST_F(RowSetTest, AQuoteInAFoundValueDoesNoHarm)
{
    appendDetail({{QStringLiteral("\\\\S\\V:O'BRIEN"), scanDate}, {QStringLiteral("X"), scanDate}});
    RowSet detail(database);
    ASSERT_FALSE(detail.open(QStringLiteral("Detail")).isError());
    detail.moveLast();
    detail.moveFirst();
    ASSERT_FALSE(
        detail.find({QStringLiteral("Directory"), Comparison::Equal, QStringLiteral("\\\\S\\V:O'BRIEN")})
            .isError());
    EXPECT_FALSE(detail.isEof());
    EXPECT_EQ(detail.rowCount().value, 2);
}

TEST_F(RowSetTest, AnOrderedRowSetReadsByTheColumnWithoutRegardToCase)
{
    RowSet temp(database);
    ASSERT_FALSE(temp.open(QStringLiteral("Temp"), QStringLiteral("directory")).isError());
    for (const QString& directory :
         {QStringLiteral("b"), QStringLiteral("C"), QStringLiteral("a"), QStringLiteral("B")})
        appendRow(temp, {{QStringLiteral("Directory"), directory}, {QStringLiteral("Date"), scanDate}});
    appendRow(temp, {{QStringLiteral("Date"), scanDate}});

    // No value sorts first; equal names keep their append order.
    EXPECT_EQ(readAll(temp), (QStringList{QString(), QStringLiteral("a"), QStringLiteral("b"),
                                          QStringLiteral("B"), QStringLiteral("C")}));
    temp.moveFirst();
    temp.find({QStringLiteral("Directory"), Comparison::Equal, QStringLiteral("c")});
    EXPECT_EQ(directoryOf(temp), QStringLiteral("C"));
    temp.moveLast();
    EXPECT_EQ(directoryOf(temp), QStringLiteral("C"));
    EXPECT_EQ(temp.value(QStringLiteral("Date")).toDate(), scanDate);
}

TEST_F(RowSetTest, RowsAppendedWhileReadingAreSeenAtTheirPlace)
{
    appendDetail({{QStringLiteral("A"), scanDate}, {QStringLiteral("B"), scanDate}});
    RowSet reader(database);
    RowSet writer(database);
    ASSERT_FALSE(reader.open(QStringLiteral("Detail")).isError());
    ASSERT_FALSE(writer.open(QStringLiteral("Detail")).isError());
    EXPECT_EQ(directoryOf(reader), QStringLiteral("A"));
    appendRow(writer, {{QStringLiteral("Directory"), QStringLiteral("C")}});
    reader.moveNext();
    reader.moveNext();
    EXPECT_EQ(directoryOf(reader), QStringLiteral("C"));
    // The row appended through a row set becomes its current row.
    EXPECT_EQ(directoryOf(writer), QStringLiteral("C"));
}

TEST_F(RowSetTest, ABookmarkReturnsToItsRow)
{
    appendDetail(
        {{QStringLiteral("A"), scanDate}, {QStringLiteral("B"), scanDate}, {QStringLiteral("C"), scanDate}});
    RowSet detail(database);
    ASSERT_FALSE(detail.open(QStringLiteral("Detail")).isError());
    detail.moveNext();
    const std::optional<RowSet::Bookmark> mark = detail.bookmark();
    ASSERT_TRUE(mark.has_value());
    detail.moveLast();
    ASSERT_FALSE(detail.moveToBookmark(*mark).isError());
    EXPECT_EQ(directoryOf(detail), QStringLiteral("B"));
    detail.moveNext();
    EXPECT_EQ(directoryOf(detail), QStringLiteral("C"));
    detail.moveNext();
    EXPECT_FALSE(detail.bookmark().has_value());

    database.execute(QStringLiteral("DELETE * FROM Detail"));
    EXPECT_TRUE(detail.moveToBookmark(*mark).isError());
}

TEST_F(RowSetTest, ARolledBackTransactionTakesItsRowsAway)
{
    appendDetail({{QStringLiteral("kept"), scanDate}});
    ASSERT_FALSE(database.beginTransaction().isError());
    appendDetail({{QStringLiteral("gone"), scanDate}});
    RowSet detail(database);
    ASSERT_FALSE(detail.open(QStringLiteral("Detail")).isError());
    EXPECT_EQ(detail.rowCount().value, 2);
    ASSERT_FALSE(database.rollback().isError());
    EXPECT_EQ(readAll(detail), QStringList{QStringLiteral("kept")});
}

TEST_F(RowSetTest, UnknownTablesAndColumnsAreRefused)
{
    RowSet rows(database);
    EXPECT_EQ(rows.open(QStringLiteral("Nothing")).number, DbErrorNumber::TableNotFound);
    EXPECT_FALSE(rows.isOpen());
    EXPECT_TRUE(rows.open(QStringLiteral("Temp"), QStringLiteral("Nothing")).isError());
    EXPECT_TRUE(rows.moveFirst().isError());
}

TEST_F(RowSetTest, ClosingTheDatabaseClosesItsRowSets)
{
    RowSet detail(database);
    ASSERT_FALSE(detail.open(QStringLiteral("Detail")).isError());
    database.close();
    EXPECT_FALSE(detail.isOpen());
    EXPECT_TRUE(detail.moveFirst().isError());
    detail.addNew();
    EXPECT_TRUE(detail.update().isError());
}

} // namespace
