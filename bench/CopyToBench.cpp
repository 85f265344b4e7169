// cv --copy-to over a filled cv.mdb: the whole history copied into a fresh central database,
// rounds in a row; prints the median rows/s with the range.
//
//   cv_copy_to_bench FOLDER [ROUNDS]     FOLDER/cv.mdb as "cv_db_bench fill FOLDER ROWS" made it
//
// The PostgreSQL server is the tests' private one (a temporary folder, stopped at the end); the
// time is that of the whole cv process, as a user waits for it.

#include "core/db/postgresql/CentralSchema.h"
#include "core/db/postgresql/PgConnection.h"
#include "core/sqlite/SqliteLibrary.h"
#include "mock/PrivatePostgresServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSysInfo>

#include <algorithm>
#include <cstdio>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

constexpr int defaultRounds = 3;

struct Round
{
    QString error;
    qint64 rows = 0;
    double seconds = 0;
};

// A database of its own for the round, set up for this host's station.
QString freshDatabase(const test::PrivatePostgresServer& server, int round, QString& text)
{
    const QString name = u"copy_bench_%1"_s.arg(round);
    const QString owner = u"copybench%1"_s.arg(round);
    if (QString error = server.createOwnedDatabase(name, owner, u"Bench-pw-1"_s); !error.isEmpty())
        return error;
    text = server.tcpConnectionString(name, owner, u"Bench-pw-1"_s);
    PgConnection setup;
    if (const DbError error = setup.open(text); error.isError())
        return error.text();
    return initialiseDatabase(setup, QSysInfo::machineHostName()).description;
}

Round copyRound(const test::PrivatePostgresServer& server, const QString& folder, int round)
{
    Round result;
    QString text;
    if (result.error = freshDatabase(server, round, text); !result.error.isEmpty())
        return result;
    QProcess cv;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"CORVANE_NET_HOME"_s, folder);
    cv.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    cv.start(QStringLiteral(CV_EXECUTABLE), {u"--copy-to"_s, text});
    cv.waitForFinished(-1);
    result.seconds = timer.nsecsElapsed() / 1e9;
    const QString out = QString::fromUtf8(cv.readAllStandardOutput());
    if (cv.exitCode() != 0)
        result.error = QString::fromUtf8(cv.readAllStandardError());
    result.rows = out.section(u"Total:"_s, 1).trimmed().toLongLong();
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    corvane::configureSqliteLibrary();
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: cv_copy_to_bench FOLDER [ROUNDS]\n");
        return 2;
    }
    const int rounds = std::max(defaultRounds, arguments.value(2).toInt());
    const test::PrivatePostgresServer server;
    if (!server.running()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.error()));
        return 1;
    }
    QList<double> rates;
    qint64 rows = 0;
    for (int round = 0; round < rounds; ++round) {
        const Round result = copyRound(server, arguments[1], round);
        if (!result.error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(result.error));
            return 1;
        }
        rows = result.rows;
        rates.append(result.rows / result.seconds);
    }
    std::sort(rates.begin(), rates.end());
    std::printf("cv --copy-to, %lld rows into a fresh central database, %d rounds\n",
                static_cast<long long>(rows), rounds);
    std::printf("  median %9.0f rows/s (%.0f-%.0f)\n", rates[rates.size() / 2], rates.front(), rates.back());
    return 0;
}
