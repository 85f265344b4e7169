#include "core/db/QueryPages.h"

#include "AuditDatabaseFixture.h"
#include "core/db/JetTranslator.h"
#include "core/sqlite/SqliteStatement.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

// Rows as lines of text, NULLs marked, so that a difference shows readably.
QStringList lines(const QList<QVariantList>& rows)
{
    QStringList result;
    for (const QVariantList& row : rows) {
        QStringList values;
        for (const QVariant& value : row)
            values.append(value.isNull() ? u"<null>"_s : value.toString());
        result.append(values.join(u'|'));
    }
    return result;
}

// Detail rows made to tie: owners that differ only in letter case, NULLs and empty texts among
// owners and sizes, a few scan dates. Enough rows for several blocks, not a multiple of a block.
class QueryPagesTest : public ::testing::Test
{
protected:
    static constexpr int rows = 809;
    static constexpr int block = 100;

    void SetUp() override
    {
        const QList<QVariant> owners = {u"kim"_s, u"KIM"_s,  u"Adam"_s, QVariant(),
                                        u""_s,    u"adam"_s, u"Zoe"_s};
        QList<test::Fields> detail;
        for (int i = 0; i < rows; ++i) {
            detail.append(test::Fields{{u"Directory"_s, QString(u"SYS:\\D"_s + QString::number(i % 13))},
                                       {u"owner"_s, owners[i % owners.size()]},
                                       {u"file"_s, QString(u"F"_s + QString::number(i))},
                                       {u"SysDate"_s, QDate(2026, 12, 1 + i % 4)},
                                       {u"Bytes"_s, i % 11 == 0 ? QVariant() : QVariant(i % 9)}});
        }
        AuditDatabase writer;
        ASSERT_FALSE(writer.open(temp.path, AuditDatabase::Access::ReadWrite).isError());
        ASSERT_FALSE(writer.beginTransaction().isError());
        test::appendRows(writer, u"Detail"_s, detail);
        ASSERT_FALSE(writer.commit().isError());
        ASSERT_FALSE(database.open(temp.path, AuditDatabase::Access::ReadOnly).isError());
    }

    // The rows as the translated statement gives them when run straight through.
    QList<QVariantList> straightRows(const QString& jet) const
    {
        DbStatement statement;
        EXPECT_FALSE(database.prepare(statement, translateJet(jet).sql).isError());
        QList<QVariantList> all;
        while (statement.step() == DbStatement::Step::Row) {
            QVariantList values;
            for (int column = 0; column < statement.columnCount(); ++column)
                values.append(statement.value(column));
            all.append(values);
        }
        return all;
    }

    // The rows read a block at a time, last block first.
    static QList<QVariantList> pagedRows(const QueryPages& pages)
    {
        QList<QList<QVariantList>> blocks((pages.rowCount() + block - 1) / block);
        for (qsizetype index = blocks.size() - 1; index >= 0; --index)
            blocks[index] = pages.read(index * block, block);
        QList<QVariantList> all;
        for (const QList<QVariantList>& read : blocks)
            all += read;
        return all;
    }

    test::TempAuditDatabase temp;
    AuditDatabase database;
};

TEST_F(QueryPagesTest, SortedPagesGiveTheRowsAndOrderOfTheStatementRunStraight)
{
    struct Case
    {
        QString jet;
        bool sortedOnce;
    };
    for (const Case& sorted : {
             Case{u"SELECT * FROM Detail ORDER BY 3 ASC"_s, true},
             Case{u"SELECT * FROM Detail ORDER BY 3 DESC"_s, true},
             Case{u"SELECT * FROM Detail ORDER BY 11 DESC"_s, true},
             Case{u"SELECT * FROM Detail ORDER BY 10"_s, true}, // served by an index
             Case{u"SELECT file, owner FROM Detail AS d WHERE Bytes > 3 ORDER BY owner, Bytes DESC;"_s, true},
             Case{u"SELECT owner, Count(*) AS n FROM Detail GROUP BY owner ORDER BY 2, 1"_s, false},
         }) {
        SCOPED_TRACE(sorted.jet.toStdString());
        QueryPages pages(database);
        ASSERT_FALSE(pages.open(translateJet(sorted.jet)).isError());
        EXPECT_EQ(pages.readsByRowKey(), sorted.sortedOnce);
        const QList<QVariantList> expected = straightRows(sorted.jet);
        EXPECT_EQ(pages.rowCount(), expected.size());
        EXPECT_EQ(lines(pagedRows(pages)), lines(expected));
    }
}

TEST_F(QueryPagesTest, ReadsAtTheEdgesAndPastTheEndStayInside)
{
    QueryPages pages(database);
    ASSERT_FALSE(pages.open(translateJet(u"SELECT file FROM Detail ORDER BY Bytes, file"_s)).isError());
    const QList<QVariantList> expected = straightRows(u"SELECT file FROM Detail ORDER BY Bytes, file"_s);
    EXPECT_EQ(lines(pages.read(rows - 3, block)), lines(expected.mid(rows - 3)));
    EXPECT_EQ(lines(pages.read(7, 1)), lines(expected.mid(7, 1)));
    EXPECT_TRUE(pages.read(rows, block).isEmpty());
    EXPECT_TRUE(pages.read(-1, block).isEmpty());
}

// The pages hold no lock between reads, so a writer commits; a row it deleted reads as empty and
// the rows around it keep their places.
TEST_F(QueryPagesTest, ARowDeletedSinceTheSortLeavesAGapAndTheWriterCommits)
{
    const QString jet = u"SELECT file, owner FROM Detail ORDER BY owner"_s;
    QueryPages pages(database);
    ASSERT_FALSE(pages.open(translateJet(jet)).isError());
    const QList<QVariantList> before = pagedRows(pages);
    const QString gone = before.at(150).first().toString();

    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(temp.path.toUtf8().constData(), &writer), SQLITE_OK);
    const QByteArray deletion = "DELETE FROM Detail WHERE file = '" + gone.toUtf8() + "'";
    EXPECT_EQ(sqlite3_exec(writer, deletion.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(writer);

    const QList<QVariantList> after = pages.read(100, block);
    ASSERT_EQ(after.size(), block);
    EXPECT_TRUE(after.at(50).isEmpty());
    EXPECT_EQ(lines({after.at(49), after.at(51)}), lines({before.at(149), before.at(151)}));
    EXPECT_EQ(pages.rowCount(), rows);
}

TEST_F(QueryPagesTest, AFailedOpenKeepsThePagesItHad)
{
    QueryPages pages(database);
    ASSERT_FALSE(pages.open(translateJet(u"SELECT file FROM Detail ORDER BY file"_s)).isError());
    EXPECT_TRUE(pages.open(translateJet(u"SELECT file FROM Nowhere ORDER BY file"_s)).isError());
    EXPECT_EQ(pages.rowCount(), rows);
    EXPECT_TRUE(pages.readsByRowKey());
    EXPECT_EQ(lines(pages.read(0, 1)),
              lines(straightRows(u"SELECT file FROM Detail ORDER BY file"_s).mid(0, 1)));
}

} // namespace
} // namespace corvane
