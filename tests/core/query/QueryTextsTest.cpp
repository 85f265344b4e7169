#include "core/query/QueryTexts.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

QString recognisedEntry(const QString& statement)
{
    const int index = recognisedTableIndex(statement);
    return index < 0 ? u"<none>"_s : queryTables()[index].entry;
}

} // namespace

TEST(QueryTextsTest, TheWordAfterFromNamesThePickerEntryOnlyWhenItIsATableNameUpToABlank)
{
    EXPECT_EQ(recognisedEntry(u"select * from newfiles where Owner like '*adm*'"_s), u"New Files"_s);
    EXPECT_EQ(recognisedEntry(u"SELECT COUNT(*) FROM DeletedFiles"_s), u"Deleted Files"_s);
    EXPECT_EQ(recognisedEntry(u"SELECT * FROM Detail"_s), u"File Detail"_s);
    EXPECT_EQ(recognisedEntry(u"SELECT * FROM Detail, NewFiles"_s), u"<none>"_s);
    EXPECT_EQ(recognisedEntry(u"SELECT * FROM Detail\nWHERE Bytes > 0"_s), u"<none>"_s);
    EXPECT_EQ(recognisedEntry(u"SELECT * FROM Temp"_s), u"<none>"_s);
    EXPECT_EQ(recognisedEntry(u"SELECT 1"_s), u"<none>"_s);
    // Only the first " FROM " counts.
    EXPECT_EQ(recognisedEntry(u"SELECT * FROM NewDirs WHERE x IN (SELECT y FROM Detail)"_s),
              u"New Directories"_s);
}

TEST(QueryTextsTest, OnlyTheFirstCommentLineIsDropped)
{
    EXPECT_EQ(dropLeadingCommentLine(u"' my query\nSELECT * FROM NewDirs"_s), u"SELECT * FROM NewDirs"_s);
    EXPECT_EQ(dropLeadingCommentLine(u"' my query\r\nSELECT * FROM NewDirs"_s).trimmed(),
              u"SELECT * FROM NewDirs"_s);
    EXPECT_EQ(dropLeadingCommentLine(u"' a\r\n' b\r\nSELECT 1"_s).trimmed(), u"' b\r\nSELECT 1"_s);
    EXPECT_EQ(dropLeadingCommentLine(u"' only a comment"_s), u"' only a comment"_s);
    EXPECT_EQ(dropLeadingCommentLine(u"SELECT 'x'\n"_s), u"SELECT 'x'\n"_s);
}

TEST(QueryTextsTest, TheSameHeadingAlternatesAndAnotherHeadingStartsAscending)
{
    SortCycle cycle;
    EXPECT_EQ(cycle.next(u"Owner"_s, 2).orderTerm, u"3 ASC"_s);
    const SortCycle::Step second = cycle.next(u"Owner"_s, 2);
    EXPECT_EQ(second.orderTerm, u"3 DESC"_s);
    EXPECT_EQ(second.statusWords, u"Owner in descending order"_s);
    EXPECT_EQ(cycle.next(u"Owner"_s, 2).statusWords, u"Owner in ascending order"_s);

    SortCycle other;
    EXPECT_EQ(other.next(u"A"_s, 0).orderTerm, u"1 ASC"_s);
    EXPECT_EQ(other.next(u"B"_s, 1).orderTerm, u"2 ASC"_s);
    EXPECT_EQ(other.next(u"A"_s, 0).orderTerm, u"1 ASC"_s);
}

TEST(QueryTextsTest, AnOrderClauseIsReplacedFromItsFirstOrderBy)
{
    EXPECT_EQ(withOrderTerm(u"SELECT * FROM Detail"_s, u"3 ASC"_s), u"SELECT * FROM Detail ORDER BY 3 ASC"_s);
    EXPECT_EQ(withOrderTerm(u"SELECT * FROM Detail ORDER BY 3 ASC"_s, u"3 DESC"_s),
              u"SELECT * FROM Detail ORDER BY 3 DESC"_s);
    EXPECT_EQ(withOrderTerm(u"select * from NewFiles order by Name"_s, u"1 ASC"_s),
              u"select * from NewFiles order by 1 ASC"_s);
}

TEST(QueryTextsTest, CaptionsAndNames)
{
    EXPECT_EQ(timingCaption(120, 0.0625), u"120 records in 0.0625 seconds."_s);
    EXPECT_EQ(timingCaption(0, 12.5), u"0 records in 12.5000 seconds."_s);
    EXPECT_EQ(countCaption(0), u"0 records"_s);
    EXPECT_EQ(countCaption(1), u"1 record"_s);
    EXPECT_EQ(timingCaption(1, 0.00094), u"1 record in 0.0009 seconds."_s);
    EXPECT_EQ(positionCaption(5, 120), u"Record 5 of 120"_s);
    EXPECT_EQ(csvFileName(u"Report"_s), u"report.csv"_s);
    EXPECT_EQ(csvFileName(u"data.CSV"_s), u"data.csv"_s);
    EXPECT_EQ(qtFileFilter(u"SQL Files (*.sql)|*.sql"_s), u"SQL Files (*.sql)"_s);
    EXPECT_EQ(qtFileFilter(u"Text|*.txt|All|*.*|"_s), u"Text (*.txt);;All (*.*)"_s);
}

TEST(QueryTextsTest, SpaceCountsAreWholeNumbersAndAnythingElseCopiesNothing)
{
    EXPECT_EQ(spaceCount(u" 3 "_s), 3);
    EXPECT_EQ(spaceCount(u"2.6"_s), 3);
    EXPECT_FALSE(spaceCount(u"abc"_s).has_value());
    EXPECT_FALSE(spaceCount(u""_s).has_value());
    EXPECT_FALSE(spaceCount(u"1e300"_s).has_value());
    EXPECT_EQ(spaceSeparatedLine({u"a"_s, QVariant(), 7}, 3), u"a   "
                                                              u"   "
                                                              u"7   "_s);
    EXPECT_EQ(spaceSeparatedLine({u"a"_s}, -2), u"a"_s);
    EXPECT_EQ(listingLine({u"x"_s, u"y"_s}), u"x  y  "_s);
}

TEST(QueryTextsTest, StatementFilesKeepCommentLinesAndJoinStatementLines)
{
    EXPECT_EQ(statementFromFileLines({u"  ' deleted today  "_s, u"SELECT * FROM DeletedFiles  "_s}),
              u"' deleted today\r\nSELECT * FROM DeletedFiles"_s);
    EXPECT_EQ(statementFromFileLines({u"SELECT *"_s, u"FROM Detail"_s, u""_s, u"WHERE Bytes > 1"_s}),
              u"SELECT * FROM Detail WHERE Bytes > 1"_s);
    EXPECT_EQ(statementFromFileLines({u"SELECT 1"_s}), u"SELECT 1"_s);
}
