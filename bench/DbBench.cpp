// The audit database under load: a million Detail rows appended through the row set against
// a bare prepared-statement loop, and the peak memory of `cv --query` streaming them.
//
//   cv_db_bench fill FOLDER ROWS   fills FOLDER/bare.mdb and FOLDER/cv.mdb, prints the rates
//   cv_db_bench query FOLDER       runs cv --query over FOLDER/cv.mdb, prints its peak memory
//
// The query measurement runs in its own small process: a child's peak resident size counts
// the memory of the process it was forked from, so that one must be small.

#include "core/db/AuditDatabase.h"
#include "core/db/RowSet.h"
#include "core/db/StoredValues.h"
#include "core/sqlite/SqliteLibrary.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>

#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

// One Detail row as a scan produces it: names, three date-times, a size.
struct DetailRow
{
    QString directory;
    QDateTime created;
    QString owner;
    QDate lastAccess;
    QDateTime lastArchive;
    QString archivor;
    QDateTime lastEdit;
    QString editor;
    QString file;
    QDate sysDate;
    qint64 bytes = 0;
};

// The values come from a pool made before the clock starts, so that both loops measure
// appending rather than making dates (local-time arithmetic costs more than an append);
// only the file name is new in every row. 40 files per directory.
class DetailRows
{
public:
    DetailRows()
    {
        const QDateTime base(QDate(2026, 12, 7), QTime(8, 0));
        for (qint64 i = 0; i < poolSize; ++i) {
            const QString user = u"USER"_s + QString::number(i % 37);
            m_pool.append({u"\\\\SERVER1\\DATA:USERS/HOME"_s + QString::number(i / 40), base.addSecs(-i),
                           user, base.date().addDays(-(i % 30)), base.addSecs(-2 * i), u"BACKUP"_s,
                           base.addSecs(-3 * i), user, QString(), base.date(), i * 13});
        }
    }

    DetailRow row(qint64 i) const
    {
        DetailRow row = m_pool[i % poolSize];
        row.file = u"report-"_s + QString::number(i) + u".txt"_s;
        return row;
    }

private:
    static constexpr qint64 poolSize = 4000;
    QList<DetailRow> m_pool;
};

bool copyEmptyDatabase(const QString& path)
{
    QFile::remove(path);
    const bool copied = QFile::copy(QStringLiteral(CV_DATABASE_FILE), path) &&
                        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    if (!copied)
        std::fprintf(stderr, "cannot copy %s to %s\n", CV_DATABASE_FILE, qPrintable(path));
    return copied;
}

void bindText(sqlite3_stmt* statement, int index, const QString& text)
{
    sqlite3_bind_text16(statement, index, text.utf16(), static_cast<int>(text.size() * 2), SQLITE_TRANSIENT);
}

double fillBare(const QString& path, const DetailRows& detailRows, qint64 rows)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA cache_size = -16384; BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(
        db,
        "INSERT INTO Detail (Directory, Created, owner, LastAccess, LastArchive, Archivor, lastedit, "
        "Editor, file, SysDate, Bytes) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        -1, &insert, nullptr);
    QElapsedTimer timer;
    timer.start();
    for (qint64 i = 0; i < rows; ++i) {
        const DetailRow row = detailRows.row(i);
        bindText(insert, 1, row.directory);
        bindText(insert, 2, storedDateTimeText(row.created));
        bindText(insert, 3, row.owner);
        bindText(insert, 4, storedDateText(row.lastAccess));
        bindText(insert, 5, storedDateTimeText(row.lastArchive));
        bindText(insert, 6, row.archivor);
        bindText(insert, 7, storedDateTimeText(row.lastEdit));
        bindText(insert, 8, row.editor);
        bindText(insert, 9, row.file);
        bindText(insert, 10, storedDateText(row.sysDate));
        sqlite3_bind_int64(insert, 11, row.bytes);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const double seconds = timer.nsecsElapsed() / 1e9;
    sqlite3_close(db);
    return rows / seconds;
}

double fillRowSet(const QString& path, const DetailRows& detailRows, qint64 rows)
{
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
        const DetailRow row = detailRows.row(i);
        detail.addNew();
        detail.setField(u"Directory"_s, row.directory);
        detail.setField(u"Created"_s, row.created);
        detail.setField(u"owner"_s, row.owner);
        detail.setField(u"LastAccess"_s, row.lastAccess);
        detail.setField(u"LastArchive"_s, row.lastArchive);
        detail.setField(u"Archivor"_s, row.archivor);
        detail.setField(u"lastedit"_s, row.lastEdit);
        detail.setField(u"Editor"_s, row.editor);
        detail.setField(u"file"_s, row.file);
        detail.setField(u"SysDate"_s, row.sysDate);
        detail.setField(u"Bytes"_s, row.bytes);
        detail.update();
    }
    database.commit();
    return rows / (timer.nsecsElapsed() / 1e9);
}

int fill(const QString& folder, qint64 rows)
{
    const QString barePath = folder + u"/bare.mdb"_s;
    const QString rowSetPath = folder + u"/cv.mdb"_s;
    // Two rounds each, alternating, the better of each counts: the machine's own noise is
    // larger than the difference measured.
    const DetailRows detailRows;
    double bare = 0;
    double rowSet = 0;
    for (int round = 0; round < 2; ++round) {
        if (!copyEmptyDatabase(barePath) || !copyEmptyDatabase(rowSetPath))
            return 1;
        bare = std::max(bare, fillBare(barePath, detailRows, rows));
        rowSet = std::max(rowSet, fillRowSet(rowSetPath, detailRows, rows));
    }
    std::printf("appends, %lld Detail rows in one transaction (best of two rounds)\n",
                static_cast<long long>(rows));
    std::printf("  bare prepared statement: %10.0f rows/s\n", bare);
    std::printf("  row set:                 %10.0f rows/s  (%.0f%% of bare; target >= 70%%)\n", rowSet,
                100.0 * rowSet / bare);
    QFile::remove(barePath);
    return 0;
}

int query(const QString& folder)
{
    struct rusage self
    {
    };
    getrusage(RUSAGE_SELF, &self);
    QProcess cv;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"CORVANE_NET_HOME"_s, folder);
    cv.setProcessEnvironment(environment);
    cv.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    cv.start(QStringLiteral(CV_EXECUTABLE), {u"--query"_s, u"SELECT * FROM Detail"_s});
    cv.waitForFinished(-1);
    const double seconds = timer.nsecsElapsed() / 1e9;
    struct rusage children
    {
    };
    getrusage(RUSAGE_CHILDREN, &children);
    std::printf("cv --query \"SELECT * FROM Detail\" > /dev/null\n");
    std::printf("  exit status %d, %.1f s\n", cv.exitCode(), seconds);
    std::printf(
        "  peak resident memory: %.1f MiB (target < 64 MiB; includes the launcher's %.1f MiB at fork)\n",
        children.ru_maxrss / 1024.0, self.ru_maxrss / 1024.0);
    return cv.exitCode();
}

} // namespace

int main(int argc, char** argv)
{
    corvane::configureSqliteLibrary();
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 4 && arguments[1] == u"fill"_s)
        return fill(arguments[2], arguments[3].toLongLong());
    if (arguments.size() == 3 && arguments[1] == u"query"_s)
        return query(arguments[2]);
    std::fprintf(stderr, "usage: cv_db_bench fill FOLDER ROWS | query FOLDER\n");
    return 2;
}
