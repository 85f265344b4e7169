#include "CentralDatabase.h"

#include "core/db/postgresql/CentralSessions.h"
#include "core/db/postgresql/PgCopyWriter.h"
#include "core/db/postgresql/PgErrors.h"

#include <QDate>
#include <QDateTime>
#include <QFile>

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

const QStringList newFilesColumns{u"Directory"_s, u"Created"_s, u"owner"_s, u"file"_s, u"Bytes"_s};

class PgCopyWriterTest : public CentralDatabase
{
protected:
    void SetUp() override
    {
        CentralDatabase::SetUp();
        initialise(u"alpha"_s);
        const DbError opened = openStationSession(session_, connectionText(), u"alpha"_s, u"host-a"_s);
        ASSERT_FALSE(opened.isError()) << opened.text().toStdString();
    }

    QList<QVariant> newFile(const QString& file, qint64 bytes = 1) const
    {
        return {u"SYS:PUBLIC"_s, QDateTime(QDate(2026, 12, 9), QTime(10, 5, 9)), u"ADMIN"_s, file, bytes};
    }

    QString rowsOf(const QString& table) const
    {
        return adminValue(u"SELECT count(*) FROM station_alpha.%1"_s.arg(sqlIdentifier(table.toLower())));
    }

    PgConnection session_;
};

TEST_F(PgCopyWriterTest, AwkwardTextsArriveAsTheyWere)
{
    // A name with bytes that are no UTF-8 is read as cv.mdb gets it: with the replacement character.
    const QString undecodable = QFile::decodeName(QByteArray("caf\xe9-\xff.txt"));
    const QStringList names{u"tab\there"_s, u"new\nline"_s,     u"cr\rhere"_s,  u"back\\slash"_s, u"\\N"_s,
                            u""_s,          u"Zürich ∑ 日本"_s, u"quote'\"d"_s, undecodable};
    PgCopyTransaction transaction(session_);
    ASSERT_FALSE(transaction.begin().isError());
    PgCopyWriter writer(transaction, u"NewFiles"_s, newFilesColumns);
    for (const QString& name : names)
        ASSERT_FALSE(writer.append(newFile(name)).isError());
    ASSERT_FALSE(writer.append({QVariant(), QVariant(), QVariant(), QVariant(), QVariant()}).isError());
    const DbError committed = transaction.commit();
    ASSERT_FALSE(committed.isError()) << committed.text().toStdString();

    const PgResult read =
        session_.exec(u"SELECT file, created, bytes, directory IS NULL FROM newfiles ORDER BY rowid"_s);
    ASSERT_TRUE(read.ok()) << read.error.text().toStdString();
    ASSERT_EQ(read.rowCount(), names.size() + 1);
    for (int row = 0; row < names.size(); ++row) {
        EXPECT_EQ(read.text(row, 0).toUtf8(), names[row].toUtf8()) << row;
        EXPECT_FALSE(read.isNull(row, 0)) << row;
        EXPECT_EQ(read.text(row, 1), u"2026-12-09 10:05:09"_s);
    }
    EXPECT_TRUE(undecodable.contains(QChar::ReplacementCharacter));
    EXPECT_TRUE(read.isNull(names.size(), 0));
    EXPECT_TRUE(read.isNull(names.size(), 2));
    EXPECT_EQ(read.text(names.size(), 3), u"t"_s);
}

TEST_F(PgCopyWriterTest, RowsOfTablesInTurnAllArriveAndARollbackKeepsNone)
{
    PgCopyTransaction transaction(session_);
    ASSERT_FALSE(transaction.begin().isError());
    PgCopyWriter newFiles(transaction, u"NewFiles"_s, newFilesColumns);
    PgCopyWriter newDirs(transaction, u"NewDirs"_s, {u"Directory"_s, u"Created"_s});
    for (int i = 0; i < 3; ++i) {
        ASSERT_FALSE(newFiles.append(newFile(u"f%1"_s.arg(i), qint64(1) << (40 + i))).isError());
        ASSERT_FALSE(newDirs.append({u"SYS:D%1"_s.arg(i), QDate(2026, 12, 9)}).isError());
    }
    ASSERT_FALSE(transaction.commit().isError());
    EXPECT_EQ(rowsOf(u"NewFiles"_s), u"3"_s);
    EXPECT_EQ(rowsOf(u"NewDirs"_s), u"3"_s);
    EXPECT_EQ(adminValue(u"SELECT sum(bytes) FROM station_alpha.newfiles"_s), u"7696581394432"_s);

    ASSERT_FALSE(transaction.begin().isError());
    ASSERT_FALSE(newFiles.append(newFile(u"later"_s)).isError());
    ASSERT_FALSE(newDirs.append({u"SYS:LATER"_s, QDate(2026, 12, 9)}).isError());
    EXPECT_FALSE(transaction.rollback().isError());
    EXPECT_EQ(rowsOf(u"NewFiles"_s), u"3"_s);
    EXPECT_EQ(rowsOf(u"NewDirs"_s), u"3"_s);
}

// Each table's writer made in turn where the one before it was: the rows go to their own table.
TEST_F(PgCopyWriterTest, WritersMadeOneAfterAnotherWriteTheirOwnTables)
{
    PgCopyTransaction transaction(session_);
    ASSERT_FALSE(transaction.begin().isError());
    for (const QString& table : {u"NewDirs"_s, u"DeletedDirs"_s, u"Temp"_s}) {
        PgCopyWriter writer(transaction, table, {u"Directory"_s});
        ASSERT_FALSE(writer.append({QString(u"SYS:"_s + table)}).isError());
    }
    const DbError committed = transaction.commit();
    ASSERT_FALSE(committed.isError()) << committed.text().toStdString();
    for (const QString& table : {u"NewDirs"_s, u"DeletedDirs"_s, u"Temp"_s})
        EXPECT_EQ(adminValue(u"SELECT string_agg(directory, ',') FROM station_alpha."_s + table.toLower()),
                  QString(u"SYS:"_s + table));
}

TEST_F(PgCopyWriterTest, ARefusedValueEndsTheTransactionWithNothingKept)
{
    PgCopyTransaction transaction(session_);
    ASSERT_FALSE(transaction.begin().isError());
    PgCopyWriter newFiles(transaction, u"NewFiles"_s, newFilesColumns);
    ASSERT_FALSE(newFiles.append(newFile(u"good"_s)).isError());
    QList<QVariant> bad = newFile(u"bad"_s);
    bad[4] = u"many"_s;
    ASSERT_FALSE(newFiles.append(bad).isError()); // buffered: the server sees it at the end
    const DbError failed = transaction.commit();
    EXPECT_TRUE(failed.isError());
    EXPECT_TRUE(failed.description.contains(u"bigint"_s)) << failed.text().toStdString();
    EXPECT_EQ(newFiles.append(newFile(u"after"_s)).text(), failed.text());
    EXPECT_EQ(transaction.commit().text(), failed.text());
    EXPECT_EQ(rowsOf(u"NewFiles"_s), u"0"_s);
    // The session is usable for the next run.
    ASSERT_FALSE(transaction.begin().isError());
    ASSERT_FALSE(newFiles.append(newFile(u"next"_s)).isError());
    EXPECT_FALSE(transaction.commit().isError());
    EXPECT_EQ(rowsOf(u"NewFiles"_s), u"1"_s);
}

// The server takes a COPY's rows while the next are gathered: a refused one fails the statement
// that follows it with the COPY's own words, and the run keeps nothing.
TEST_F(PgCopyWriterTest, ACopyRefusedWhileTheRunGoesOnFailsTheNextStatementWithItsWords)
{
    PgCopyTransaction transaction(session_);
    ASSERT_FALSE(transaction.begin().isError());
    PgCopyWriter newFiles(transaction, u"NewFiles"_s, newFilesColumns);
    QList<QVariant> bad = newFile(u"bad"_s);
    bad[4] = u"many"_s;
    ASSERT_FALSE(newFiles.append(bad).isError());
    ASSERT_FALSE(transaction.flush().isError()); // sent; the answer is read by what comes next
    const DbError failed = transaction.execute(u"SELECT 1"_s);
    EXPECT_TRUE(failed.description.contains(u"bigint"_s)) << failed.text().toStdString();
    EXPECT_EQ(transaction.commit().text(), failed.text());
    EXPECT_EQ(rowsOf(u"NewFiles"_s), u"0"_s);
}

TEST_F(PgCopyWriterTest, AConnectionLostInTheMiddleOfACopyLeavesNothing)
{
    PgCopyTransaction transaction(session_);
    ASSERT_FALSE(transaction.begin().isError());
    PgCopyWriter newDirs(transaction, u"NewDirs"_s, {u"Directory"_s, u"Created"_s});
    PgCopyWriter newFiles(transaction, u"NewFiles"_s, newFilesColumns);
    ASSERT_FALSE(newDirs.append({u"SYS:DONE"_s, QDate(2026, 12, 9)}).isError());
    // Enough rows that blocks of them have reached the server inside the open COPY.
    for (int i = 0; i < 20000; ++i)
        ASSERT_FALSE(newFiles.append(newFile(u"file-%1.dat"_s.arg(i))).isError());
    ASSERT_TRUE(transaction.isActive());
    ASSERT_EQ(adminValue(u"SELECT count(*) FROM pg_stat_activity WHERE pid = %1 AND query LIKE 'COPY%'"_s.arg(
                  session_.backendPid())),
              u"1"_s);
    ASSERT_EQ(adminValue(u"SELECT pg_terminate_backend(%1)"_s.arg(session_.backendPid())), u"t"_s);

    DbError failed;
    for (int i = 0; i < 100000 && !failed.isError(); ++i)
        failed = newFiles.append(newFile(u"more-%1.dat"_s.arg(i)));
    if (!failed.isError())
        failed = transaction.commit();
    EXPECT_TRUE(failed.description.startsWith(u"The connection to the database server failed"_s))
        << failed.text().toStdString();
    EXPECT_FALSE(transaction.isActive());
    EXPECT_EQ(transaction.commit().text(), failed.text());
    EXPECT_EQ(rowsOf(u"NewFiles"_s), u"0"_s);
    EXPECT_EQ(rowsOf(u"NewDirs"_s), u"0"_s);
}

} // namespace
} // namespace corvane::test
