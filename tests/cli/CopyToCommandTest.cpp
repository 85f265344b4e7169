#include "ProgramRun.h"

#include "core/db/postgresql/CentralSchema.h"
#include "core/db/postgresql/CentralSessions.h"
#include "core/db/postgresql/PgConnection.h"
#include "mock/PostgresConnection.h"
#include "mock/PrivatePostgresServer.h"
#include "mock/SqliteScript.h"

#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

// The built cv copying a temporary application folder's cv.mdb into a database of a private
// PostgreSQL server, as this host's station.
class CopyToCommandTest : public ::testing::Test
{
protected:
    using Run = test::ProgramRun;

    static void SetUpTestSuite()
    {
        server_ = std::make_unique<test::PrivatePostgresServer>();
        setupError_ = server_->error();
    }
    static void TearDownTestSuite() { server_.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(setupError_.isEmpty()) << setupError_.toStdString();
        static int counter = 0;
        database_ = u"copy_%1"_s.arg(++counter);
        owner_ = u"copyowner%1"_s.arg(counter);
        const QString made = server_->createOwnedDatabase(database_, owner_, password);
        ASSERT_TRUE(made.isEmpty()) << made.toStdString();
        ASSERT_TRUE(QFile::copy(QStringLiteral(CV_DATABASE_FILE), databasePath));
        QFile::setPermissions(databasePath, QFile::ReadOwner | QFile::WriteOwner);
        sql("INSERT INTO Detail (Directory, file, Created, SysDate, Bytes) VALUES "
            "('\\\\S\\V:DATA', 'say \"hi\".txt', '2026-12-07 08:30:00', '2026-12-07', 10), "
            "('\\\\S\\V:DATA', 'plain.txt', NULL, NULL, NULL);"
            "INSERT INTO Temp VALUES ('\\\\S\\V:DATA', '2026-12-07')");
    }

    QString target() const { return server_->tcpConnectionString(database_, owner_, password); }

    void initialise()
    {
        PgConnection connection;
        ASSERT_FALSE(connection.open(target()).isError());
        const DbError error = initialiseDatabase(connection, station());
        ASSERT_FALSE(error.isError()) << error.text().toStdString();
    }

    static QString station() { return QSysInfo::machineHostName(); }

    Run cv(const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"CORVANE_NET_HOME"_s, home.path());
        environment.insert(u"CORVANE_NET_REGISTRY"_s, registryFolder.path());
        return test::runProgram(QStringLiteral(CV_EXECUTABLE), arguments, environment);
    }
    Run copyTo(const QString& database) { return cv({u"--copy-to"_s, database}); }

    void sql(const char* statements) { test::runSqliteScript(databasePath, statements); }

    QString adminValue(const QString& statement) const
    {
        test::PostgresConnection admin(server_->connectionString(database_));
        return admin.run(statement).value();
    }

    QString stationRows(const char* table) const
    {
        return adminValue(u"SELECT count(*) FROM "_s + test::sqlIdentifier(stationSchemaName(station())) +
                          u'.' + QString::fromLatin1(table));
    }

    // One line, "cv: " and why, no password, nothing on standard output.
    void expectOneLineFailure(const Run& run, const char* words) const
    {
        EXPECT_EQ(run.exitCode, 1) << run.err.constData();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.constData();
        EXPECT_TRUE(run.err.startsWith("cv: ")) << run.err.constData();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.constData();
        EXPECT_TRUE(run.err.contains(words)) << run.err.constData();
        EXPECT_FALSE(run.err.contains(password.toUtf8())) << run.err.constData();
    }

    static inline std::unique_ptr<test::PrivatePostgresServer> server_;
    static inline QString setupError_;
    const QString password = u"Copy-pw-1"_s;
    QString database_;
    QString owner_;
    QTemporaryDir home;
    QTemporaryDir registryFolder;
    QString databasePath = home.filePath(u"cv.mdb"_s);
};

TEST_F(CopyToCommandTest, SaysTheRowsOfEveryTableAndCopiesNothingTwice)
{
    initialise();
    const Run first = copyTo(target());
    ASSERT_EQ(first.exitCode, 0) << first.err.constData();
    EXPECT_EQ(QString::fromUtf8(first.out), u"Rows copied:\n"
                                            "Detail:        2\n"
                                            "NewFiles:      0\n"
                                            "OpenedFiles:   0\n"
                                            "DeletedFiles:  0\n"
                                            "EditedFiles:   0\n"
                                            "ArchivedFiles: 0\n"
                                            "DeletedDirs:   0\n"
                                            "NewDirs:       0\n"
                                            "DirActivity:   0\n"
                                            "Temp:          1\n"
                                            "Total:         3\n"_s);
    EXPECT_EQ(stationRows("detail"), u"2"_s);
    EXPECT_EQ(
        adminValue(
            u"SELECT string_agg(file || '|' || coalesce(created::text, '-'), ',' ORDER BY rowid) FROM "_s +
            test::sqlIdentifier(stationSchemaName(station())) + u".detail"_s),
        u"say \"hi\".txt|2026-12-07 08:30:00,plain.txt|-"_s);

    const Run second = copyTo(target());
    ASSERT_EQ(second.exitCode, 0) << second.err.constData();
    EXPECT_TRUE(second.out.contains("Detail:        0\n")) << second.out.constData();
    EXPECT_TRUE(second.out.endsWith("Total:         0\n")) << second.out.constData();
    EXPECT_EQ(stationRows("detail"), u"2"_s);

    sql("INSERT INTO Detail (file) VALUES ('new.txt')");
    const Run third = copyTo(target());
    EXPECT_TRUE(third.out.endsWith("Total:         1\n")) << third.out.constData();
    EXPECT_EQ(stationRows("detail"), u"3"_s);
}

TEST_F(CopyToCommandTest, ATargetThatCannotTakeTheRowsIsReportedInOneLineAndKeepsNothing)
{
    expectOneLineFailure(copyTo(target()), "holds no Corvane Net audit tables: run cv --init-database");

    initialise();
    QString wrongPassword = target();
    wrongPassword.replace(password, u"Wrong-pw-9"_s);
    expectOneLineFailure(copyTo(wrongPassword), "password authentication failed");
    expectOneLineFailure(copyTo(u"host=127.0.0.1 port=1 dbname=x user=y connect_timeout=5"_s),
                         "The connection to the database server failed");

    ASSERT_TRUE(
        server_->createReadOnlyRole(u"copyreader"_s + database_, password, database_, owner_).isEmpty());
    adminValue(
        u"GRANT USAGE ON SCHEMA corvane, %1 TO %2; GRANT SELECT ON ALL TABLES IN SCHEMA corvane, %1 TO %2"_s
            .arg(test::sqlIdentifier(stationSchemaName(station())), u"copyreader"_s + database_));
    expectOneLineFailure(
        copyTo(server_->tcpConnectionString(database_, u"copyreader"_s + database_, password)),
        "by this role: Cannot update. Database or object is read-only.");

    {
        PgConnection run;
        ASSERT_FALSE(openStationSession(run, target(), station(), station()).isError());
        expectOneLineFailure(copyTo(target()), "file already in use");
    }
    EXPECT_EQ(stationRows("detail"), u"0"_s);

    adminValue(u"UPDATE corvane.schema_info SET version = 2"_s);
    expectOneLineFailure(copyTo(target()), "was written by a newer version of Corvane Net");
    EXPECT_EQ(stationRows("detail"), u"0"_s);
    EXPECT_EQ(adminValue(u"SELECT count(*) FROM corvane.copied_history"_s), u"0"_s);
}

TEST_F(CopyToCommandTest, ACvMdbMissingOrNoCvMdbIsReportedInOneLine)
{
    initialise();
    {
        QFile file(databasePath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("these are not the rows you are looking for\n");
    }
    expectOneLineFailure(copyTo(target()), "Unable to open database");
    QFile::remove(databasePath);
    const Run missing = copyTo(target());
    expectOneLineFailure(missing, "cv.mdb");
    EXPECT_EQ(stationRows("detail"), u"0"_s);
}

TEST_F(CopyToCommandTest, TheHelpNamesTheCommandAndAWrongArgumentIsAUsageError)
{
    const Run help = cv({u"--help"_s});
    EXPECT_TRUE(help.out.contains("  --copy-to DATABASE     copy the application folder's cv.mdb"))
        << help.out.constData();
    for (const QStringList& wrong :
         {QStringList{u"--copy-to"_s}, QStringList{u"--copy-to"_s, u"/tmp/other.mdb"_s},
          QStringList{u"--copy-to"_s, u"service=a"_s, u"service=b"_s}}) {
        const Run run = cv(wrong);
        EXPECT_EQ(run.exitCode, 2) << wrong.join(u' ').toStdString();
        EXPECT_TRUE(run.err.startsWith("cv: --copy-to takes one central database")) << run.err.constData();
    }
}

} // namespace
