#include "core/query/QueryRowsOutput.h"

#include "core/db/AuditDatabaseFixture.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

class QueryRowsOutputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        {
            AuditDatabase writer;
            ASSERT_FALSE(writer.open(temp.path, AuditDatabase::Access::ReadWrite).isError());
            test::appendRows(writer, u"NewFiles"_s,
                             {{{u"Directory"_s, u"SYS:\\A"_s}, {u"owner"_s, u"ADMIN"_s}},
                              {{u"Directory"_s, u"SYS:\\B \"x\""_s}, {u"owner"_s, QVariant()}},
                              {{u"Directory"_s, u"SYS:\\C"_s}, {u"owner"_s, u"JO"_s}}});
        }
        ASSERT_FALSE(database.open(temp.path, AuditDatabase::Access::ReadOnly).isError());
    }

    QByteArray fileBytes(const QString& path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    test::TempAuditDatabase temp;
    AuditDatabase database;
    const QString statement = u"SELECT Directory, owner FROM NewFiles ORDER BY Directory"_s;
};

TEST_F(QueryRowsOutputTest, ACsvFileHoldsTheNamesThenOneQuotedLinePerRow)
{
    const QString path = temp.folder.filePath(u"out.csv"_s);
    ASSERT_FALSE(writeCsvFile(database, statement, path).isError());
    EXPECT_EQ(fileBytes(path), QByteArray("\"Directory\",\"owner\"\r\n"
                                          "\"SYS:\\A\",\"ADMIN\"\r\n"
                                          "\"SYS:\\B \"\"x\"\"\",\"\"\r\n"
                                          "\"SYS:\\C\",\"JO\"\r\n"));
}

TEST_F(QueryRowsOutputTest, TheClipboardCommaFormIsTheCsvWithoutNamesAndTheSpaceFormPadsEveryValue)
{
    const QString path = temp.folder.filePath(u"out.csv"_s);
    ASSERT_FALSE(writeCsvFile(database, statement, path).isError());
    const QByteArray csv = fileBytes(path);
    const DbResult<QString> comma = clipboardText(database, statement, true, 0);
    ASSERT_TRUE(comma.ok());
    EXPECT_EQ(comma.value.toUtf8(), csv.mid(csv.indexOf('\n') + 1));
    const DbResult<QString> spaced = clipboardText(database, statement, false, 3);
    EXPECT_EQ(spaced.value, u"SYS:\\A   ADMIN   \r\nSYS:\\B \"x\"   "
                            u"   \r\nSYS:\\C   JO   \r\n"_s);
}

TEST_F(QueryRowsOutputTest, AFileHeldOpenOrReadOnlyGivesErrorSeventyAndAMissingFolderAnother)
{
    const QString path = temp.folder.filePath(u"held.csv"_s);
    QFile lock(temp.folder.filePath(u".~lock.held.csv#"_s));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    const DbError held = writeCsvFile(database, statement, path);
    EXPECT_EQ(held.number, FileErrorNumber::PermissionDenied);
    EXPECT_EQ(held.text(), u"Error 70 : Permission denied"_s);

    const QString readOnly = temp.folder.filePath(u"ro.csv"_s);
    QFile file(readOnly);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QFile::setPermissions(readOnly, QFile::ReadOwner);
    if (!QFileInfo(readOnly).isWritable()) { // root writes whatever the permissions say
        EXPECT_EQ(writeCsvFile(database, statement, readOnly).number, FileErrorNumber::PermissionDenied);
    }

    EXPECT_EQ(writeCsvFile(database, statement, temp.folder.filePath(u"no/such.csv"_s)).number,
              FileErrorNumber::PathAccessError);
}

TEST_F(QueryRowsOutputTest, ABrokenStatementWritesNoFile)
{
    const QString path = temp.folder.filePath(u"never.csv"_s);
    EXPECT_TRUE(writeCsvFile(database, u"SELECT * FROM NoSuchTable"_s, path).isError());
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
