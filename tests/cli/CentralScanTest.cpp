#include "ScanCommandFixture.h"

#include "core/db/postgresql/CentralSchema.h"
#include "core/db/postgresql/PgConnection.h"
#include "mock/PostgresConnection.h"
#include "mock/PrivatePostgresServer.h"

#include <QElapsedTimer>

#include <algorithm>
#include <csignal>
#include <random>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

const QStringList collectedTables{u"Detail"_s,      u"NewFiles"_s, u"OpenedFiles"_s,
                                  u"DeletedFiles"_s, u"EditedFiles"_s, u"ArchivedFiles"_s,
                                  u"DeletedDirs"_s, u"NewDirs"_s,   u"DirActivity"_s};

// cv --scan, --purge-today and --query against a central database on a private PostgreSQL, as
// station "srv1", beside the same commands on cv.mdb.
class CentralScanTest : public ScanCommandTest
{
protected:
    static void SetUpTestSuite()
    {
        server_ = std::make_unique<PrivatePostgresServer>();
        setupError_ = server_->error();
        if (setupError_.isEmpty())
            setupError_ = server_->createOwnedDatabase(u"audit"_s, owner(), ownerPassword());
        if (setupError_.isEmpty())
            setupError_ = server_->execute(u"CREATE EXTENSION citext"_s, u"audit"_s);
    }
    static void TearDownTestSuite() { server_.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(setupError_.isEmpty()) << setupError_.toStdString();
        // Every test starts from a database without stations.
        const QString cleared = server_->execute(
            u"DROP SCHEMA IF EXISTS corvane, station_srv1 CASCADE"_s, u"audit"_s);
        ASSERT_TRUE(cleared.isEmpty()) << cleared.toStdString();
        const Run initialised = cv({u"--database"_s, central(), u"--station"_s, u"srv1"_s, u"--init-database"_s});
        ASSERT_EQ(initialised.exitCode, 0) << initialised.err.constData();
    }

    static QString owner() { return u"cvauditowner"_s; }
    static QString ownerPassword() { return u"Audit-pw-1"_s; }
    static QString central() { return server_->connectionString(u"audit"_s, owner(), ownerPassword()); }

    Run onCentral(QStringList arguments) const
    {
        return cv(QStringList{u"--database"_s, central(), u"--station"_s, u"srv1"_s} + arguments);
    }
    // Every table's rows as cv --query prints them, the heading first and the rows sorted: the
    // two engines may give rows that tie in any order.
    QMap<QString, QByteArray> tables(bool onTheCentralDatabase) const
    {
        QMap<QString, QByteArray> shown;
        for (const QString& table : collectedTables) {
            const QString statement = u"SELECT * FROM "_s + table;
            const Run run = onTheCentralDatabase ? onCentral({u"--query"_s, statement})
                                                 : cv({u"--query"_s, statement});
            EXPECT_EQ(run.exitCode, 0) << table.toStdString() << ": " << run.err.constData();
            QList<QByteArray> lines = run.out.split('\n');
            std::sort(lines.begin() + std::min<qsizetype>(1, lines.size()), lines.end());
            shown.insert(table, lines.join('\n'));
        }
        return shown;
    }
    // A killed cv's server session ends, releasing its station and its transaction, once the
    // server sees the connection gone: wait for that rather than for a time.
    static void waitUntilNoSessionIsLeft()
    {
        PostgresConnection admin(server_->connectionString(u"audit"_s));
        for (int polls = 0; polls < 600; ++polls) {
            if (admin.run(u"SELECT count(*) FROM pg_stat_activity WHERE application_name = 'cv'"_s).value() ==
                u"0"_s)
                return;
            ::usleep(100000);
        }
        ADD_FAILURE() << "a session of a killed cv outlives it";
    }
    static void expectSameTables(const QMap<QString, QByteArray>& central, const QMap<QString, QByteArray>& local)
    {
        for (const QString& table : collectedTables)
            EXPECT_EQ(central.value(table).toStdString(), local.value(table).toStdString()) << table.toStdString();
    }
    qint64 centralRows(const QString& table) const
    {
        PostgresConnection admin(server_->connectionString(u"audit"_s));
        return admin.run(u"SELECT count(*) FROM station_srv1."_s + table.toLower()).value().toLongLong();
    }

    static inline std::unique_ptr<PrivatePostgresServer> server_;
    static inline QString setupError_;
};

// The same day's scan gives the same rows in every table, and Purge Today takes them all away,
// on cv.mdb and on the central database alike.
TEST_F(CentralScanTest, AScanAndAPurgeGiveTheRowsTheyGiveOnCvMdb)
{
    writeManyFiles(6, 5);
    writeHomeFile(u"vol1/O'NEIL/it's here.txt"_s, "quoted");
    ASSERT_EQ(cv({u"--add-path"_s, u"F:\\"_s}).exitCode, 0);

    const Run local = cv({u"--scan"_s});
    ASSERT_EQ(local.exitCode, 0) << local.err.constData();
    forgetLastScan();
    const Run centralRun = onCentral({u"--scan"_s});
    ASSERT_EQ(centralRun.exitCode, 0) << centralRun.err.constData();
    EXPECT_EQ(centralRun.out, local.out);
    const QMap<QString, QByteArray> expected = tables(false);
    EXPECT_EQ(expected.value(u"Detail"_s).count('\n'), 32);
    expectSameTables(tables(true), expected);

    // Both purges go by the same LastScan, which the first one clears.
    const QString lastScan = stored(u"System"_s, u"LastScan"_s);
    EXPECT_EQ(cv({u"--purge-today"_s, u"--yes"_s}).exitCode, 0);
    Registry registry({registryFolder.path(), registryFolder.path()});
    SettingsStore(registry).save(u"System"_s, u"LastScan"_s, lastScan);
    const Run purged = onCentral({u"--purge-today"_s, u"--yes"_s});
    EXPECT_EQ(purged.exitCode, 0) << purged.out.constData() << purged.err.constData();
    EXPECT_EQ(centralRows(u"Detail"_s), 0);
    expectSameTables(tables(true), tables(false));
}

// Killed at any moment, a run leaves nothing of itself on the server; the next one records the
// day in full.
TEST_F(CentralScanTest, AKilledRunLeavesNothingAndTheNextRecordsTheDay)
{
    constexpr int folders = 60;
    constexpr int files = 40;
    writeManyFiles(folders, files);
    ASSERT_EQ(cv({u"--add-path"_s, u"F:\\MANY"_s}).exitCode, 0);
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(onCentral({u"--scan"_s}).exitCode, 0);
    const qint64 runMilliseconds = timer.elapsed();
    const QString scannedToday = stored(u"System"_s, u"LastScan"_s);
    ASSERT_EQ(onCentral({u"--purge-today"_s, u"--yes"_s}).exitCode, 0);
    forgetLastScan();

    std::mt19937 random(20261209u);
    std::uniform_real_distribution<double> within(0.0, 1.0);
    for (int kill = 0; kill < 6; ++kill) {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(QStringLiteral(CV_EXECUTABLE), {u"--database"_s, central(), u"--station"_s, u"srv1"_s, u"--scan"_s});
        ASSERT_TRUE(process.waitForStarted());
        const int moment = int((kill + within(random)) / 6 * double(runMilliseconds));
        if (!process.waitForFinished(moment))
            ::kill(pid_t(process.processId()), SIGKILL);
        process.waitForFinished(60000);
        waitUntilNoSessionIsLeft();
        const qint64 rows = centralRows(u"Detail"_s);
        ASSERT_TRUE(rows == 0 || rows == folders * files) << "kill " << kill << " after " << moment << " ms";
        if (rows != 0) {
            // Killed after its commit, the run may not have stored LastScan, which Purge Today
            // goes by.
            Registry registry({registryFolder.path(), registryFolder.path()});
            SettingsStore(registry).save(u"System"_s, u"LastScan"_s, scannedToday);
            ASSERT_EQ(onCentral({u"--purge-today"_s, u"--yes"_s}).exitCode, 0);
        }
        forgetLastScan();
    }
    const Run next = onCentral({u"--scan"_s});
    ASSERT_EQ(next.exitCode, 0) << next.err.constData();
    for (const QString& table : {u"Detail"_s, u"NewFiles"_s, u"OpenedFiles"_s, u"EditedFiles"_s})
        EXPECT_EQ(centralRows(table), folders * files) << table.toStdString();
}

// The server stopped in the middle of a run: the run says so and fails, nothing of it is kept,
// and once the server is back the next run records the day.
TEST_F(CentralScanTest, AServerStoppedDuringARunFailsItWithNothingKept)
{
    writeManyFiles(80, 40);
    ASSERT_EQ(cv({u"--add-path"_s, u"F:\\MANY"_s}).exitCode, 0);
    QProcess process;
    process.setProcessEnvironment(environment());
    process.setReadChannel(QProcess::StandardError);
    process.start(QStringLiteral(CV_EXECUTABLE), {u"--database"_s, central(), u"--station"_s, u"srv1"_s, u"--scan"_s});
    ASSERT_TRUE(process.waitForStarted());
    QByteArray err;
    while (!err.contains("Scanning ") && process.waitForReadyRead(30000))
        err += process.readAllStandardError();
    ASSERT_TRUE(server_->stop().isEmpty());
    ASSERT_TRUE(process.waitForFinished(120000));
    err += process.readAllStandardError();
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_TRUE(err.contains("The connection to the database server failed")) << err.right(600).constData();
    ASSERT_TRUE(server_->start().isEmpty());
    EXPECT_EQ(centralRows(u"Detail"_s), 0);
    forgetLastScan();
    const Run next = onCentral({u"--scan"_s});
    ASSERT_EQ(next.exitCode, 0) << next.err.constData();
    EXPECT_EQ(centralRows(u"Detail"_s), 80 * 40);
}

} // namespace
} // namespace corvane::test
