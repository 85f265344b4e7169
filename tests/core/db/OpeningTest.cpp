#include "AuditDatabaseFixture.h"

#include "core/db/DatabaseOpening.h"
#include "mock/FakeUserInterface.h"
#include "mock/PermissionOverride.h"

#include <QScopeGuard>

#include <sqlite3.h>
#include <sys/stat.h>

using namespace corvane;
using corvane::test::TempAuditDatabase;

namespace {

constexpr int shortBusyTimeoutMs = 50;

QString quoted(const QString& path)
{
    return QLatin1Char('\'') + path + QLatin1Char('\'');
}

class OpeningTest : public ::testing::Test
{
protected:
    DbError openFile(AuditDatabase::Access access)
    {
        return database.open(temp.path, access, shortBusyTimeoutMs);
    }
    void writeFile(const QByteArray& bytes)
    {
        QFile file(temp.path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    // Every failing case: the words, no connection left, the file as it was, no side file.
    void expectRefused(const QString& description)
    {
        const QByteArray before = temp.bytes();
        const QStringList entriesBefore = temp.folderEntries();
        for (const auto access : {AuditDatabase::Access::ReadWrite, AuditDatabase::Access::ReadOnly}) {
            const DbError error = openFile(access);
            EXPECT_EQ(error.number, DbErrorNumber::Unspecified);
            EXPECT_EQ(error.description, description);
            EXPECT_FALSE(database.isOpen());
        }
        EXPECT_EQ(temp.bytes(), before);
        EXPECT_EQ(temp.folderEntries(), entriesBefore);
    }

    TempAuditDatabase temp;
    AuditDatabase database;
};

TEST_F(OpeningTest, TheDeliveredFileOpensBothWaysAndIsLeftAlone)
{
    const QByteArray before = temp.bytes();
    EXPECT_FALSE(openFile(AuditDatabase::Access::ReadWrite).isError());
    EXPECT_TRUE(database.isOpen());
    database.close();
    EXPECT_FALSE(openFile(AuditDatabase::Access::ReadOnly).isError());
    database.close();
    EXPECT_EQ(temp.bytes(), before);
    EXPECT_EQ(temp.folderEntries(), QStringList{QStringLiteral("cv.mdb")});
}

TEST_F(OpeningTest, AMissingFileIsNeverCreated)
{
    QFile::remove(temp.path);
    expectRefused(QStringLiteral("Could not find file ") + quoted(temp.path) + QLatin1Char('.'));
    EXPECT_FALSE(QFile::exists(temp.path));
}

TEST_F(OpeningTest, ForeignAndEmptyFilesAreNoAuditDatabase)
{
    const QString words =
        QStringLiteral("Unrecognized database format ") + quoted(temp.path) + QLatin1Char('.');
    writeFile(QByteArray("this is a spreadsheet, not a database\n").repeated(200));
    expectRefused(words);
    writeFile(QByteArray());
    expectRefused(words);

    sqlite3* other = nullptr;
    QFile::remove(temp.path);
    ASSERT_EQ(sqlite3_open(temp.path.toUtf8().constData(), &other), SQLITE_OK);
    sqlite3_exec(other, "CREATE TABLE Detail (x)", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    expectRefused(words);

}

// A file of another database version is refused untouched, with what to do about it.
TEST_F(OpeningTest, AFileOfAnotherDatabaseVersionIsRefusedWithWhatToDo)
{
    const auto setVersion = [this](int version) {
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(temp.path.toUtf8().constData(), &other), SQLITE_OK);
        sqlite3_exec(other, QByteArray("PRAGMA user_version = " + QByteArray::number(version)).constData(),
                     nullptr, nullptr, nullptr);
        sqlite3_close(other);
    };
    const QString advice = QStringLiteral(
        "). Its rows are left as they are: run the version of Corvane Net that wrote it, or rename the file "
        "to keep it and put an empty cv.mdb of this version in its place.");
    setVersion(AuditDatabase::schemaVersion + 1);
    expectRefused(QStringLiteral("The database file ") + quoted(temp.path) +
                  QStringLiteral(" was written by a newer version of Corvane Net (database version %1; this "
                                 "version reads version %2")
                      .arg(AuditDatabase::schemaVersion + 1)
                      .arg(AuditDatabase::schemaVersion) +
                  advice);
    setVersion(0);
    expectRefused(QStringLiteral("Unrecognized database format ") + quoted(temp.path) + QLatin1Char('.'));
}

TEST_F(OpeningTest, ATruncatedFileIsDamaged)
{
    ASSERT_FALSE(openFile(AuditDatabase::Access::ReadWrite).isError());
    ASSERT_FALSE(database.beginTransaction().isError());
    RowSet detail(database);
    ASSERT_FALSE(detail.open(QStringLiteral("Detail")).isError());
    for (int i = 0; i < 3000; ++i)
        test::appendRow(detail, {{QStringLiteral("Directory"), QStringLiteral("\\\\S\\V:DIR%1").arg(i % 40)},
                                 {QStringLiteral("file"), QStringLiteral("file%1.txt").arg(i)}});
    ASSERT_FALSE(database.commit().isError());
    database.close();

    QFile file(temp.path);
    ASSERT_TRUE(file.resize(file.size() / 2));
    expectRefused(QStringLiteral("The database file ") + quoted(temp.path) +
                  QStringLiteral(" is damaged and cannot be read."));
}

TEST_F(OpeningTest, AFileHeldByAnotherWriterIsInUse)
{
    const QString inUse =
        QStringLiteral("Could not use ") + quoted(temp.path) + QStringLiteral("; file already in use.");
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(temp.path.toUtf8().constData(), &writer), SQLITE_OK);

    // A writer in its transaction: readers may still open, a second writer may not.
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN IMMEDIATE; INSERT INTO Temp VALUES ('a', '2026-12-07')", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    EXPECT_EQ(openFile(AuditDatabase::Access::ReadWrite).description, inUse);
    EXPECT_FALSE(openFile(AuditDatabase::Access::ReadOnly).isError());
    database.close();

    // A writer that holds the file exclusively keeps readers out as well.
    ASSERT_EQ(sqlite3_exec(writer, "COMMIT; PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    expectRefused(inUse);
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    EXPECT_FALSE(openFile(AuditDatabase::Access::ReadWrite).isError());
}

// SQLite opens a file it may not write read-only, without a word, and would then refuse a run's
// rows one by one: a writer is refused at the opening instead, with why. Readers still read.
TEST_F(OpeningTest, AFileThatCannotBeWrittenIsRefusedForWritingOnly)
{
    const QByteArray before = temp.bytes();
    ASSERT_TRUE(QFile::setPermissions(temp.path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const test::WithoutPermissionOverride asUser;
    ASSERT_FALSE(test::opensForWriting(temp.path)) << "this process writes a file of mode 444";
    const DbError refused = openFile(AuditDatabase::Access::ReadWrite);
    EXPECT_EQ(refused.text(), QStringLiteral("Error -2147217911 : Cannot update. Database or object is read-only: ") +
                                  quoted(temp.path) + QStringLiteral(" may not be written."));
    EXPECT_FALSE(database.isOpen());
    EXPECT_FALSE(openFile(AuditDatabase::Access::ReadOnly).isError());
    database.close();
    EXPECT_EQ(temp.bytes(), before);
    EXPECT_EQ(temp.folderEntries(), QStringList{QStringLiteral("cv.mdb")});
}

// A writable file in a folder that is not: SQLite cannot make its journal beside the file.
TEST_F(OpeningTest, AFileInAFolderThatCannotBeWrittenIsRefusedForWriting)
{
    const QByteArray before = temp.bytes();
    const QByteArray folder = QFile::encodeName(temp.folder.path());
    ASSERT_EQ(::chmod(folder.constData(), 0555), 0);
    const auto writable = qScopeGuard([&folder] { ::chmod(folder.constData(), 0700); });
    const test::WithoutPermissionOverride asUser;
    ASSERT_NE(::mkdir(QByteArray(folder + "/probe").constData(), 0700), 0) << "this process writes a folder of mode 555";
    const DbError refused = openFile(AuditDatabase::Access::ReadWrite);
    EXPECT_EQ(refused.number, DbErrorNumber::PermissionDenied);
    EXPECT_EQ(refused.description, QStringLiteral("Cannot update. Database or object is read-only: the folder of ") +
                                       quoted(temp.path) + QStringLiteral(", where the journal is made, may not be written."));
    EXPECT_FALSE(database.isOpen());
    EXPECT_FALSE(openFile(AuditDatabase::Access::ReadOnly).isError());
    database.close();
    EXPECT_EQ(temp.bytes(), before);
}

TEST(FileExistsTest, OnlyAFileWhoseLengthCanBeReadExists)
{
    TempAuditDatabase temp;
    EXPECT_TRUE(FileExists(temp.path));
    EXPECT_FALSE(FileExists(temp.folder.filePath(QStringLiteral("missing.mdb"))));
    EXPECT_FALSE(FileExists(temp.folder.path()));
    EXPECT_FALSE(FileExists(QString()));
}

TEST(OpenAuditDatabaseTest, AFailedOpeningShowsTheTwoLineStatusAndNoMessageBox)
{
    TempAuditDatabase temp;
    QFile file(temp.path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("garbage garbage garbage garbage garbage garbage garbage garbage garbage garbage garbage");
    file.close();

    test::FakeUserInterface ui;
    AuditDatabase database;
    EXPECT_EQ(OpenAuditDatabase(database, ui, temp.path), OpenOutcome::Failed);
    EXPECT_EQ(ui.status, QStringLiteral("Unable to open database ") + temp.path +
                             QStringLiteral(".\r\nError ") + QString::number(DbErrorNumber::Unspecified) +
                             QStringLiteral(" : Unrecognized database format ") + quoted(temp.path) +
                             QLatin1Char('.'));
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_FALSE(database.isOpen());
}

TEST(OpenAuditDatabaseTest, TheDatabasePathHasOneSlashBeforeTheFileName)
{
    qputenv("CORVANE_NET_HOME", "/srv/corvane/");
    EXPECT_EQ(auditDatabasePath(), QStringLiteral("/srv/corvane/cv.mdb"));
    qputenv("CORVANE_NET_HOME", "/");
    EXPECT_EQ(auditDatabasePath(), QStringLiteral("/cv.mdb"));
    qunsetenv("CORVANE_NET_HOME");
}

} // namespace
