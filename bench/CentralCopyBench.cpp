// Detail rows into the central database with COPY against the same rows into cv.mdb through the
// row set, the scan's insert path: a million rows in one transaction each, five rounds each,
// alternating; prints the median rows/s with the range.
//
//   cv_central_copy_bench [ROWS]
//
// The PostgreSQL server is the tests' private one (a temporary folder, stopped at the end).

#include "core/db/AuditDatabase.h"
#include "core/db/postgresql/CentralSchema.h"
#include "core/db/postgresql/CentralSessions.h"
#include "core/db/postgresql/PgConnection.h"
#include "core/db/postgresql/PgCopyWriter.h"
#include "core/db/RowSet.h"
#include "core/sqlite/SqliteLibrary.h"
#include "mock/PrivatePostgresServer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

constexpr int rounds = 5;

const QStringList detailColumns{u"Directory"_s,   u"Created"_s,  u"owner"_s,    u"LastAccess"_s,
                                u"LastArchive"_s, u"Archivor"_s, u"lastedit"_s, u"Editor"_s,
                                u"file"_s,        u"SysDate"_s,  u"Bytes"_s};

// A pool of rows made before the clock starts; only the file name is new in every row.
class DetailValues
{
public:
    DetailValues()
    {
        const QDateTime base(QDate(2026, 12, 7), QTime(8, 0));
        for (qint64 i = 0; i < poolSize; ++i) {
            const QString user = u"USER"_s + QString::number(i % 37);
            m_pool.append(
                QList<QVariant>{QString(u"\\\\SERVER1\\DATA:USERS/HOME"_s + QString::number(i / 40)),
                                base.addSecs(-i), user, base.date().addDays(-(i % 30)), base.addSecs(-2 * i),
                                u"BACKUP"_s, base.addSecs(-3 * i), user, QString(), base.date(), i * 13});
        }
    }

    QList<QVariant> row(qint64 i) const
    {
        QList<QVariant> row = m_pool[i % poolSize];
        row[8] = QString(u"report-"_s + QString::number(i) + u".txt"_s);
        return row;
    }

private:
    static constexpr qint64 poolSize = 4000;
    QList<QList<QVariant>> m_pool;
};

double intoCvMdb(const QString& path, const DetailValues& values, qint64 rows)
{
    QFile::remove(path);
    QFile::copy(QStringLiteral(CV_DATABASE_FILE), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    AuditDatabase database;
    if (const DbError error = database.open(path, AuditDatabase::Access::ReadWrite); error.isError()) {
        std::fprintf(stderr, "%s\n", qPrintable(error.text()));
        return 0;
    }
    RowSet detail(database);
    detail.open(u"Detail"_s);
    database.beginTransaction();
    QElapsedTimer timer;
    timer.start();
    for (qint64 i = 0; i < rows; ++i) {
        const QList<QVariant> row = values.row(i);
        detail.addNew();
        for (int column = 0; column < detailColumns.size(); ++column)
            detail.setField(detailColumns[column], row[column]);
        detail.update();
    }
    database.commit();
    return rows / (timer.nsecsElapsed() / 1e9);
}

double intoCentral(PgConnection& session, const DetailValues& values, qint64 rows)
{
    session.execute(u"TRUNCATE detail"_s);
    PgCopyTransaction transaction(session);
    PgCopyWriter detail(transaction, u"Detail"_s, detailColumns);
    QElapsedTimer timer;
    timer.start();
    transaction.begin();
    for (qint64 i = 0; i < rows; ++i)
        detail.append(values.row(i));
    if (const DbError error = transaction.commit(); error.isError()) {
        std::fprintf(stderr, "%s\n", qPrintable(error.text()));
        return 0;
    }
    return rows / (timer.nsecsElapsed() / 1e9);
}

void print(const char* what, QList<double> rates)
{
    std::sort(rates.begin(), rates.end());
    std::printf("%-40s median %9.0f rows/s (%.0f-%.0f)\n", what, rates[rates.size() / 2], rates.front(),
                rates.back());
}

} // namespace

int main(int argc, char** argv)
{
    corvane::configureSqliteLibrary();
    QCoreApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    test::PrivatePostgresServer server;
    QString error = server.error();
    if (error.isEmpty())
        error = server.createOwnedDatabase(u"bench"_s, u"cvbench"_s, u"Bench-pw-1"_s);
    const QString text = server.connectionString(u"bench"_s, u"cvbench"_s, u"Bench-pw-1"_s);
    PgConnection setup;
    if (error.isEmpty())
        error = setup.open(text).description;
    if (error.isEmpty())
        error = initialiseDatabase(setup, u"bench"_s).description;
    PgConnection session;
    if (error.isEmpty())
        error = openStationSession(session, text, u"bench"_s, u"bench-host"_s).description;
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const QTemporaryDir folder;
    const DetailValues values;
    QList<double> sqlite;
    QList<double> central;
    for (int round = 0; round < rounds; ++round) {
        sqlite.append(intoCvMdb(folder.filePath(u"cv.mdb"_s), values, rows));
        central.append(intoCentral(session, values, rows));
    }
    std::printf("%lld Detail rows in one transaction, %d rounds\n", static_cast<long long>(rows), rounds);
    print("cv.mdb, row set appends", sqlite);
    print("PostgreSQL, COPY", central);
    return 0;
}
