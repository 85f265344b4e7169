#include "AuditDatabaseFixture.h"

#include "core/db/QueryCursor.h"
#include "core/sqlite/SqliteStatement.h"

using namespace corvane;

namespace {

// The reading opening of the query window, the charts and `cv --query`: nothing typed there
// may change the file or anything beside it.
class ReadOnlyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AuditDatabase writer;
        ASSERT_FALSE(writer.open(temp.path, AuditDatabase::Access::ReadWrite).isError());
        test::appendRows(writer, QStringLiteral("Detail"),
                         {{{QStringLiteral("Directory"), QStringLiteral("\\\\S\\V:D")},
                           {QStringLiteral("file"), QStringLiteral("a.txt")}}});
        writer.close();
        before = temp.bytes();
        ASSERT_FALSE(reader.open(temp.path, AuditDatabase::Access::ReadOnly).isError());
    }

    void expectUnchanged()
    {
        EXPECT_EQ(test::rowCount(reader, QStringLiteral("Detail")), 1);
        reader.close();
        EXPECT_EQ(temp.bytes(), before);
        EXPECT_EQ(temp.folderEntries(), QStringList{QStringLiteral("cv.mdb")});
    }

    test::TempAuditDatabase temp;
    QByteArray before;
    AuditDatabase reader;
};

TEST_F(ReadOnlyTest, ChangingStatementsAreRefusedAsReadOnly)
{
    for (const char* statement :
         {"DELETE * FROM Detail", "DELETE FROM Detail WHERE file = 'a.txt'",
          "UPDATE Detail SET file = 'b.txt'", "INSERT INTO Detail (file) VALUES ('b.txt')"}) {
        const DbError error = reader.execute(QString::fromLatin1(statement));
        EXPECT_EQ(error.number, DbErrorNumber::PermissionDenied) << statement;
        EXPECT_EQ(error.description, QStringLiteral("Cannot update. Database or object is read-only."))
            << statement;
    }
    expectUnchanged();
}

TEST_F(ReadOnlyTest, DroppingCreatingAndAlteringFailToo)
{
    for (const char* statement : {"DROP TABLE Detail", "CREATE TABLE Extra (a TEXT)",
                                  "ALTER TABLE Detail ADD COLUMN x", "CREATE INDEX Extra ON Detail (file)"}) {
        EXPECT_TRUE(reader.execute(QString::fromLatin1(statement)).isError()) << statement;
        QueryCursor cursor(reader);
        if (!cursor.open(QString::fromLatin1(statement)).isError()) {
            EXPECT_FALSE(cursor.next()) << statement;
            EXPECT_TRUE(cursor.error().isError()) << statement;
        }
    }
    expectUnchanged();
}

// Below the statement translator: the connection itself refuses what could write a file,
// attach one, lift the read-only switch or hold a lock.
TEST_F(ReadOnlyTest, TheConnectionRefusesWritingSqlEvenUntranslated)
{
    const QString outside = temp.folder.filePath(QStringLiteral("copy.mdb"));
    const QStringList statements{QStringLiteral("DELETE FROM Detail"),
                                 QStringLiteral("PRAGMA query_only = 0"),
                                 QStringLiteral("ATTACH DATABASE '") + outside + QStringLiteral("' AS other"),
                                 QStringLiteral("VACUUM INTO '") + outside + QLatin1Char('\''),
                                 QStringLiteral("CREATE TEMP TABLE scratch (a)"),
                                 QStringLiteral("BEGIN")};
    for (const QString& sql : statements) {
        DbStatement statement;
        DbError error = reader.prepare(statement, sql);
        if (!error.isError() && statement.step() == DbStatement::Step::Failed)
            error = statement.error();
        EXPECT_EQ(error.number, DbErrorNumber::PermissionDenied) << sql.toStdString();
    }
    EXPECT_FALSE(QFile::exists(outside));
    expectUnchanged();
}

TEST_F(ReadOnlyTest, ARowSetCannotAppend)
{
    RowSet detail(reader);
    ASSERT_FALSE(detail.open(QStringLiteral("Detail")).isError());
    EXPECT_EQ(detail.value(QStringLiteral("file")).toString(), QStringLiteral("a.txt"));
    detail.addNew();
    detail.setField(QStringLiteral("file"), QStringLiteral("b.txt"));
    EXPECT_EQ(detail.update().number, DbErrorNumber::PermissionDenied);
    EXPECT_TRUE(reader.beginTransaction().isError());
    detail.close();
    expectUnchanged();
}

TEST_F(ReadOnlyTest, ReadingAndDescribingTablesStillWork)
{
    EXPECT_EQ(reader.queryValue(QStringLiteral("SELECT COUNT(*) FROM Detail")).value.toInt(), 1);
    {
        DbStatement describe;
        ASSERT_FALSE(reader.prepare(describe, QStringLiteral("PRAGMA table_info(Detail)")).isError());
        EXPECT_EQ(describe.step(), DbStatement::Step::Row);
    }
    expectUnchanged();
}

} // namespace
