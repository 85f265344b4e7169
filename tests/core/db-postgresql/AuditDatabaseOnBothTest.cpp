#include "AuditEngines.h"

#include "core/db/QueryCursor.h"
#include "core/db/QueryPages.h"
#include "core/db/RowCountInBackground.h"
#include "core/db/RowSet.h"
#include "core/scan/Purges.h"

#include <chrono>
#include <future>
#include <thread>

#include <QDate>
#include <QDateTime>

using namespace Qt::StringLiterals;

namespace corvane::test {

namespace {

const QDate Day{2026, 12, 7};

Fields detailRow(const QString& file, const QString& directory, qint64 bytes)
{
    return {{u"Directory"_s, directory},
            {u"file"_s, file},
            {u"owner"_s, u"alice"_s},
            {u"Created"_s, QDateTime(Day, QTime(9, 30, 5))},
            {u"LastAccess"_s, Day},
            {u"SysDate"_s, Day},
            {u"Bytes"_s, bytes}};
}

// count Detail rows of file names pattern.arg(i), numbered from 0 and padded to width digits.
QList<Fields> detailRows(int count, const QString& pattern, int width = 0)
{
    QList<Fields> rows;
    for (int i = 0; i < count; ++i)
        rows.append(detailRow(pattern.arg(i, width, 10, QChar(u'0')), u"F:\\"_s, i));
    return rows;
}

} // namespace

class AuditDatabaseOnBothTest : public AuditEngines
{};

// Names with every character COPY's text form escapes, and a quote, read back unchanged; the
// columns are spelt as in cv.mdb whichever engine keeps them.
TEST_P(AuditDatabaseOnBothTest, AppendedRowsReadBackAsTheyWereSet)
{
    {
        AuditDatabase writer;
        ASSERT_NO_FATAL_FAILURE(openWriter(writer));
        ASSERT_FALSE(writer.beginTransaction().isError());
        ASSERT_NO_FATAL_FAILURE(appendRows(writer, u"Detail"_s,
                                           {detailRow(u"O'Brien\ttab\\back\nline.txt"_s, u"F:\\DATA"_s, 42),
                                            detailRow(u"\u00e9t\u00e9 \u2603.doc"_s, u"F:\\DATA\\SUB"_s, 0)}));
        ASSERT_FALSE(writer.commit().isError());
    }
    const QList<QVariantList> rows =
        rowsOf(u"SELECT file, Directory, Created, LastAccess, Bytes, Editor FROM Detail ORDER BY Bytes DESC"_s);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0], (QVariantList{u"O'Brien\ttab\\back\nline.txt"_s, u"F:\\DATA"_s, u"2026-12-07 09:30:05"_s,
                                     u"2026-12-07"_s, qlonglong(42), QVariant()}));
    EXPECT_EQ(rows[1][0], u"\u00e9t\u00e9 \u2603.doc"_s);
    EXPECT_EQ(fieldNamesOf(u"SELECT * FROM NewFiles"_s),
              (QStringList{u"Directory"_s, u"Created"_s, u"owner"_s, u"file"_s, u"Bytes"_s}));
}

TEST_P(AuditDatabaseOnBothTest, ARolledBackRunLeavesNothingAndAppendsInTheBackgroundArriveInOrder)
{
    AuditDatabase writer;
    ASSERT_NO_FATAL_FAILURE(openWriter(writer));
    ASSERT_FALSE(writer.beginTransaction().isError());
    ASSERT_NO_FATAL_FAILURE(appendRows(writer, u"Detail"_s, {detailRow(u"gone.txt"_s, u"F:\\"_s, 1)}));
    ASSERT_FALSE(writer.rollback().isError());
    EXPECT_EQ(rowCount(writer, u"Detail"_s), 0);

    ASSERT_FALSE(writer.beginTransaction().isError());
    {
        const AuditDatabase::InsertsInBackground inserts(writer);
        RowSet detail(writer);
        RowSet newFiles(writer);
        ASSERT_FALSE(detail.open(u"Detail"_s).isError());
        ASSERT_FALSE(newFiles.open(u"NewFiles"_s).isError());
        for (int i = 0; i < 3000; ++i) {
            appendRow(detail, detailRow(u"f%1.txt"_s.arg(i, 5, 10, QChar(u'0')), u"F:\\D"_s, i));
            appendRow(newFiles, {{u"file"_s, u"n%1"_s.arg(i)}, {u"Bytes"_s, i}});
            // A count between appends reads what went in so far.
            if (i == 1500) {
                EXPECT_EQ(writer.countRows(u"Detail"_s, {}).value, 1501);
            }
        }
    }
    ASSERT_FALSE(writer.commit().isError());
    EXPECT_EQ(rowsOf(u"SELECT Count(*), Sum(Bytes) FROM Detail"_s),
              (QList<QVariantList>{{qlonglong(3000), qlonglong(3000 * 2999 / 2)}}));
    EXPECT_EQ(rowsOf(u"SELECT Count(*) FROM NewFiles"_s), (QList<QVariantList>{{qlonglong(3000)}}));
}

// The snapshot's row set walks the directories as cv.mdb sorts them: no name first, then
// without regard to case, ties in the order they were appended.
TEST_P(AuditDatabaseOnBothTest, AnOrderedRowSetWalksEmptyNamesFirstThenWithoutRegardToCase)
{
    AuditDatabase writer;
    ASSERT_NO_FATAL_FAILURE(openWriter(writer));
    ASSERT_FALSE(writer.beginTransaction().isError());
    ASSERT_NO_FATAL_FAILURE(appendRows(writer, u"Temp"_s,
                                       {{{u"Directory"_s, u"b"_s}},
                                        {{u"Directory"_s, u"A"_s}},
                                        {{u"Date"_s, Day}},
                                        {{u"Directory"_s, u"a"_s}},
                                        {{u"Directory"_s, u"C"_s}}}));
    ASSERT_FALSE(writer.commit().isError());
    RowSet snapshot(writer);
    ASSERT_FALSE(snapshot.open(u"Temp"_s, u"Directory"_s).isError());
    QStringList walked;
    // At most one step more than there are rows: a walk that does not move on fails, never hangs.
    for (int step = 0; step < 6 && !snapshot.isEof(); ++step, snapshot.moveNext())
        walked.append(snapshot.value(u"Directory"_s).isNull() ? u"<none>"_s
                                                               : snapshot.value(u"Directory"_s).toString());
    EXPECT_EQ(walked, (QStringList{u"<none>"_s, u"A"_s, u"a"_s, u"b"_s, u"C"_s}));
    ASSERT_FALSE(snapshot.moveLast().isError());
    EXPECT_EQ(snapshot.value(u"Directory"_s).toString(), u"C"_s);
    const DbError fromLast = snapshot.find({u"Directory"_s, Comparison::Equal, u"B"_s});
    ASSERT_FALSE(fromLast.isError()) << fromLast.text().toStdString();
    EXPECT_TRUE(snapshot.isEof());
    ASSERT_FALSE(snapshot.moveFirst().isError());
    ASSERT_FALSE(snapshot.find({u"Directory"_s, Comparison::Equal, u"B"_s}).isError());
    EXPECT_EQ(snapshot.value(u"Directory"_s).toString(), u"b"_s);
}

TEST_P(AuditDatabaseOnBothTest, CountsAndPurgeStatementsBindNamesWithQuotesAndDates)
{
    AuditDatabase writer;
    ASSERT_NO_FATAL_FAILURE(openWriter(writer));
    ASSERT_FALSE(writer.beginTransaction().isError());
    ASSERT_NO_FATAL_FAILURE(appendRows(
        writer, u"Detail"_s,
        {detailRow(u"a"_s, u"F:\\O'NEIL"_s, 1), detailRow(u"b"_s, u"f:\\o'neil"_s, 2), detailRow(u"c"_s, u"F:\\X"_s, 3)}));
    ASSERT_FALSE(writer.commit().isError());
    const DbResult<qint64> count = writer.countRows(
        u"Detail"_s, {{u"Directory"_s, Comparison::Equal, u"F:\\O'Neil"_s}, {u"SysDate"_s, Comparison::Equal, Day}});
    EXPECT_FALSE(count.error.isError()) << count.error.text().toStdString();
    EXPECT_EQ(count.value, 2);
    ASSERT_FALSE(writer.execute(u"DELETE * FROM Detail WHERE SysDate = #12/7/2026# AND Directory = 'F:\\X'"_s)
                     .isError());
    EXPECT_EQ(rowsOf(u"SELECT Count(*) FROM Detail"_s), (QList<QVariantList>{{qlonglong(2)}}));
}

// The query window's pages: a sorted result read from the middle gives the rows the statement
// gives there.
TEST_P(AuditDatabaseOnBothTest, PagesOfASortedResultAreTheRowsOfTheStatement)
{
    {
        AuditDatabase writer;
        ASSERT_NO_FATAL_FAILURE(openWriter(writer));
        ASSERT_FALSE(writer.beginTransaction().isError());
        QList<Fields> rows;
        for (int i = 0; i < 250; ++i)
            rows.append(detailRow(u"file%1"_s.arg((i * 37) % 250, 3, 10, QChar(u'0')), u"F:\\"_s, i));
        ASSERT_NO_FATAL_FAILURE(appendRows(writer, u"Detail"_s, rows));
        ASSERT_FALSE(writer.commit().isError());
    }
    const QString statement = u"SELECT * FROM Detail ORDER BY file DESC"_s;
    const QList<QVariantList> all = rowsOf(statement);
    ASSERT_EQ(all.size(), 250);
    AuditDatabase reader;
    ASSERT_NO_FATAL_FAILURE(openReader(reader));
    QueryPages pages(reader);
    ASSERT_FALSE(pages.open(reader.translate(statement)).isError());
    EXPECT_EQ(pages.rowCount(), 250);
    EXPECT_EQ(pages.read(100, 50), all.mid(100, 50));
    EXPECT_EQ(pages.read(240, 50), all.mid(240));
}

// The run's auto-purge empties the collected tables and keeps the directory snapshot; on the
// central database the station's tables are emptied at once, not row by row (a table emptied so
// is stored anew).
TEST_P(AuditDatabaseOnBothTest, TheAutoPurgeEmptiesTheCollectedTablesAndKeepsTemp)
{
    AuditDatabase writer;
    ASSERT_NO_FATAL_FAILURE(openWriter(writer));
    ASSERT_FALSE(writer.beginTransaction().isError());
    ASSERT_NO_FATAL_FAILURE(appendRows(writer, u"Detail"_s, {detailRow(u"a"_s, u"F:\\"_s, 1)}));
    ASSERT_NO_FATAL_FAILURE(appendRows(writer, u"NewDirs"_s, {{{u"Directory"_s, u"F:\\A"_s}, {u"Created"_s, Day}}}));
    ASSERT_NO_FATAL_FAILURE(appendRows(writer, u"Temp"_s, {{{u"Directory"_s, u"F:\\A"_s}, {u"Date"_s, Day}}}));
    ASSERT_FALSE(writer.commit().isError());
    const QString detailFile = u"SELECT pg_relation_filenode('station_st1.detail')"_s;
    const QString storedAt = central() ? adminValue(detailFile) : QString();

    purgeCollectedData(writer);
    EXPECT_EQ(rowCount(writer, u"Detail"_s), 0);
    EXPECT_EQ(rowCount(writer, u"NewDirs"_s), 0);
    EXPECT_EQ(rowCount(writer, u"Temp"_s), 1);
    if (central()) {
        EXPECT_NE(adminValue(detailFile), storedAt);
    }
}

// cv.mdb counts a result at once; the central database counts no further than its first rows,
// and the whole count comes from a reader of its own on another thread.
TEST_P(AuditDatabaseOnBothTest, ALongResultIsCountedAtOnceOnCvMdbAndLaterOnTheCentralDatabase)
{
    ASSERT_NO_FATAL_FAILURE(commitRows(u"Detail"_s, detailRows(1500, u"f%1"_s)));
    AuditDatabase reader;
    ASSERT_NO_FATAL_FAILURE(openReader(reader));
    QueryPages pages(reader);
    ASSERT_FALSE(pages.open(reader.translate(u"SELECT * FROM Detail WHERE Bytes >= 100"_s)).isError());
    EXPECT_EQ(pages.countPending(), central());
    EXPECT_EQ(pages.rowCount(), central() ? QueryPages::rowsCountedAtOpen : 1400);

    QueryPages shortOne(reader);
    ASSERT_FALSE(shortOne.open(reader.translate(u"SELECT * FROM Detail WHERE Bytes < 1000"_s)).isError());
    EXPECT_FALSE(shortOne.countPending());
    EXPECT_EQ(shortOne.rowCount(), 1000);
    if (!central())
        return;

    std::promise<DbResult<qint64>> counted;
    const RowCountInBackground counting(reader, pages.sql(),
                                        [&counted](const DbResult<qint64>& count) { counted.set_value(count); });
    std::future<DbResult<qint64>> count = counted.get_future();
    ASSERT_EQ(count.wait_for(std::chrono::minutes(1)), std::future_status::ready);
    const DbResult<qint64> result = count.get();
    EXPECT_FALSE(result.error.isError()) << result.error.text().toStdString();
    EXPECT_EQ(result.value, 1400);
    pages.setCountedRows(result.value);
    EXPECT_EQ(pages.read(1395, 10).size(), 5);
}

INSTANTIATE_TEST_SUITE_P(Engines, AuditDatabaseOnBothTest, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         engineName);

} // namespace corvane::test

namespace corvane::test {

class CentralAuditDatabaseTest : public AuditEngines
{};

// Each station's run and purges see its own rows only; readers see every station's.
TEST_P(CentralAuditDatabaseTest, APurgeOfOneStationLeavesTheOtherStationsRows)
{
    initialise(u"st2"_s);
    for (const QString& name : {station, u"st2"_s}) {
        AuditDatabase writer;
        ASSERT_NO_FATAL_FAILURE(openWriter(writer, name));
        ASSERT_FALSE(writer.beginTransaction().isError());
        ASSERT_NO_FATAL_FAILURE(appendRows(writer, u"Detail"_s, {detailRow(name + u".txt"_s, u"F:\\"_s, 1)}));
        ASSERT_FALSE(writer.commit().isError());
    }
    {
        AuditDatabase writer;
        ASSERT_NO_FATAL_FAILURE(openWriter(writer, u"st2"_s));
        ASSERT_FALSE(writer.execute(u"DELETE * FROM Detail"_s).isError());
        EXPECT_EQ(rowCount(writer, u"Detail"_s), 0);
    }
    EXPECT_EQ(rowsOf(u"SELECT file FROM Detail"_s), (QList<QVariantList>{{u"st1.txt"_s}}));
}

// A console reading a station's table does not hold that station's auto-purge up: after a short
// wait its rows are deleted one by one instead, the console reads on from what it saw, and the
// other station's rows stay.
TEST_P(CentralAuditDatabaseTest, AnAutoPurgeGoesOnWhileAConsoleReadsTheTable)
{
    initialise(u"st2"_s);
    // More than one block of the console's cursor, which then stays open between blocks.
    for (const QString& name : {station, u"st2"_s})
        ASSERT_NO_FATAL_FAILURE(commitRows(u"Detail"_s, detailRows(1500, name + u"-%1.txt"_s, 4), name));
    AuditDatabase console;
    ASSERT_NO_FATAL_FAILURE(openReader(console));
    QueryCursor reading(console);
    ASSERT_FALSE(reading.open(u"SELECT file FROM Detail ORDER BY file"_s).isError());
    ASSERT_TRUE(reading.next());
    {
        AuditDatabase writer;
        ASSERT_NO_FATAL_FAILURE(openWriter(writer));
        purgeCollectedData(writer);
        EXPECT_EQ(rowCount(writer, u"Detail"_s), 0);
    }
    int read = 1;
    while (reading.next())
        ++read;
    EXPECT_FALSE(reading.error().isError()) << reading.error().text().toStdString();
    EXPECT_EQ(read, 3000);
    reading.close();
    EXPECT_EQ(rowsOf(u"SELECT Count(*) FROM Detail WHERE file LIKE 'st2-*'"_s), (QList<QVariantList>{{qlonglong(1500)}}));
    EXPECT_EQ(rowsOf(u"SELECT Count(*) FROM Detail"_s), (QList<QVariantList>{{qlonglong(1500)}}));
}

// A reader's statement that runs too long is stopped by the server with words that say so, and
// the same connection serves the next statement.
TEST_P(CentralAuditDatabaseTest, AStatementThatRunsTooLongIsStoppedAndTheReaderGoesOn)
{
    ASSERT_NO_FATAL_FAILURE(commitRows(u"Detail"_s, detailRows(2000, u"f%1"_s)));
    AuditDatabase reader;
    ASSERT_NO_FATAL_FAILURE(openReader(reader, 200));
    // 8,000,000,000 rows: no server counts them within the limit.
    const DbResult<QVariant> tooLong =
        reader.queryValue(u"SELECT Count(*) FROM Detail AS a, Detail AS b, Detail AS c"_s);
    EXPECT_TRUE(tooLong.error.isError());
    EXPECT_TRUE(tooLong.error.description.contains(u"ran longer than"_s)) << tooLong.error.text().toStdString();
    EXPECT_EQ(reader.queryValue(u"SELECT Count(*) FROM Detail"_s).value.toLongLong(), 2000);
    EXPECT_TRUE(reader.execute(u"DELETE * FROM Detail"_s).isError());
}

// A count given up while the server is at it is stopped there, and nothing is reported of it.
TEST_P(CentralAuditDatabaseTest, ACountGivenUpIsStoppedOnTheServer)
{
    ASSERT_NO_FATAL_FAILURE(commitRows(u"Detail"_s, detailRows(2000, u"f%1"_s)));
    AuditDatabase reader;
    ASSERT_NO_FATAL_FAILURE(openReader(reader));
    bool reported = false;
    {
        // 8,000,000,000 rows: a count that would outlast the test.
        const RowCountInBackground counting(reader, reader.translate(u"SELECT * FROM Detail AS a, Detail AS b, Detail AS c"_s).sql,
                                            [&reported](const DbResult<qint64>&) { reported = true; });
        const QString running = u"SELECT count(*) FROM pg_stat_activity WHERE state = 'active' AND "
                                "query LIKE 'SELECT COUNT(*) FROM (%'"_s;
        for (int wait = 0; wait < 600 && adminValue(running) == u"0"_s; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_EQ(adminValue(running), u"1"_s) << "the count never started on the server";
    }
    EXPECT_FALSE(reported);
    EXPECT_EQ(reader.queryValue(u"SELECT Count(*) FROM Detail"_s).value.toLongLong(), 2000);
}

INSTANTIATE_TEST_SUITE_P(Central, CentralAuditDatabaseTest, ::testing::Values(Engine::Postgres), engineName);

} // namespace corvane::test
