// The query window over a large Detail table: the time from Run SQL of "SELECT * FROM Detail"
// to the first rows painted in the grid, a jump to the last row, and the peak memory.
//
//   cv_query_bench fill FOLDER ROWS   copies the empty cv.mdb to FOLDER and fills Detail
//   cv_query_bench show FOLDER        opens the query window on FOLDER/cv.mdb and prints figures
//   cv_query_bench shot FOLDER PNG    saves a picture of the window with rows, sorted by owner
//   cv_query_bench first DATABASE SECONDS
//                                     on a central database, runs "SELECT * FROM Detail" again and
//                                     again for SECONDS and prints each run's time to its first
//                                     rows shown, one line each (the stations bench's reader)
//
// Filling runs in its own process so that its memory does not count for the window's.

#include "core/db/DatabaseChoice.h"
#include "core/settings/Registry.h"
#include "core/settings/SettingsStore.h"
#include "core/sqlite/SqliteLibrary.h"
#include "gui/query/QueryModel.h"
#include "gui/query/QueryWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

bool exec(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

int fill(const QString& folder, long long rows)
{
    const QString path = folder + u"/cv.mdb"_s;
    QFile::remove(path);
    if (!QFile::copy(QStringLiteral(CV_DATABASE_FILE), path))
        return 1;
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
        return 1;
    exec(db, "BEGIN");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO Detail (Directory, Created, owner, LastAccess, LastArchive, Archivor, "
                       "lastedit, Editor, file, SysDate, Bytes) VALUES (?, '2026-11-02 08:15:00', ?, "
                       "'2026-12-01', NULL, NULL, '2026-12-01 17:45:10', 'ADMIN', ?, '2026-12-07', ?)",
                       -1, &insert, nullptr);
    for (long long i = 0; i < rows; ++i) {
        const QByteArray directory = "SYS:\\USERS\\DEPT" + QByteArray::number(i % 97) + "\\PROJECTS";
        const QByteArray owner = "USER" + QByteArray::number(i % 211);
        const QByteArray file = "REPORT" + QByteArray::number(i) + ".DOC";
        sqlite3_bind_text(insert, 1, directory.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, owner.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, file.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 4, i * 37 % 1000003);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    const bool committed = exec(db, "COMMIT");
    sqlite3_close(db);
    std::printf("Detail filled with %lld rows\n", rows);
    return committed ? 0 : 1;
}

double peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Until every pending event, the grid's paint included, has been handled.
void paintNow(QTableView* grid)
{
    QApplication::processEvents();
    grid->viewport()->repaint();
}

// After the sort: jumps to rows spread over the whole result, then pages up from the last row.
// Each jump lands on rows no block read so far holds.
void pageThroughSorted(QTableView* grid)
{
    const int rows = grid->model()->rowCount();
    QList<double> seconds;
    QElapsedTimer timer;
    const auto timed = [&](const std::function<void()>& move) {
        timer.restart();
        move();
        paintNow(grid);
        seconds.append(timer.nsecsElapsed() / 1e9);
    };
    for (const double place : {0.5, 0.13, 0.87, 0.31, 0.69, 0.02, 0.98}) {
        timed([&] {
            grid->scrollTo(grid->model()->index(static_cast<int>(rows * place), 0),
                           QAbstractItemView::PositionAtTop);
        });
    }
    timed([&] { grid->scrollToBottom(); });
    for (int page = 0; page < 20; ++page)
        timed([&] { grid->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub); });
    double total = 0;
    for (double one : seconds)
        total += one;
    std::printf("sorted paging, %lld moves (7 jumps, last row, 20 pages up): worst %.3f s, mean %.3f s "
                "(target: every page < 0.1 s)\n",
                static_cast<long long>(seconds.size()), *std::max_element(seconds.begin(), seconds.end()),
                total / static_cast<double>(seconds.size()));
    std::printf("  jumps: ");
    for (qsizetype i = 0; i < 8; ++i)
        std::printf("%.3f ", seconds[i]);
    std::printf("s\n");
}

int show(const QString& folder)
{
    qputenv("CORVANE_NET_HOME", folder.toUtf8());
    QTemporaryDir settings;
    Registry registry(Registry::Location{settings.path(), settings.path()});
    SettingsStore store(registry);

    QElapsedTimer timer;
    timer.start();
    QueryWindow window(nullptr, store);
    window.show();
    auto* grid = window.findChild<QTableView*>(u"DataGrid1"_s);
    paintNow(grid);
    std::printf("window opened on Detail (two runs of the statement): %.3f s\n", timer.nsecsElapsed() / 1e9);

    window.findChild<QPlainTextEdit*>(u"Text1"_s)->setPlainText(u"SELECT * FROM Detail"_s);
    timer.restart();
    window.findChild<QPushButton*>(u"Command3"_s)->click();
    paintNow(grid);
    const auto* model = qobject_cast<const QueryModel*>(grid->model());
    std::printf("Run SQL to first rows shown: %.3f s (%lld rows, first file %s)\n",
                timer.nsecsElapsed() / 1e9, model->totalRows(),
                qPrintable(grid->model()->index(0, 8).data().toString()));

    timer.restart();
    grid->scrollToBottom();
    paintNow(grid);
    std::printf("jump to the last row: %.3f s\n", timer.nsecsElapsed() / 1e9);
    timer.restart();
    for (int page = 0; page < 20; ++page) {
        grid->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
        paintNow(grid);
    }
    std::printf("twenty pages up from there: %.3f s\n", timer.nsecsElapsed() / 1e9);
    timer.restart();
    grid->scrollToTop();
    paintNow(grid);
    std::printf("back to the first row: %.3f s\n", timer.nsecsElapsed() / 1e9);
    timer.restart();
    window.sortByColumn(2);
    paintNow(grid);
    std::printf("sort by owner (the statement re-run with ORDER BY): %.3f s\n", timer.nsecsElapsed() / 1e9);
    pageThroughSorted(grid);
    std::printf("peak memory: %.1f MiB\n", peakMiB());
    return 0;
}

int firstPages(const QString& database, double seconds)
{
    chooseAuditDatabase({database, u"console"_s});
    QTemporaryDir settings;
    Registry registry(Registry::Location{settings.path(), settings.path()});
    SettingsStore store(registry);
    QueryWindow window(nullptr, store);
    window.show();
    auto* grid = window.findChild<QTableView*>(u"DataGrid1"_s);
    window.findChild<QPlainTextEdit*>(u"Text1"_s)->setPlainText(u"SELECT * FROM Detail"_s);
    const auto* model = qobject_cast<const QueryModel*>(grid->model());
    QElapsedTimer total;
    total.start();
    while (total.nsecsElapsed() / 1e9 < seconds) {
        QElapsedTimer timer;
        timer.start();
        window.findChild<QPushButton*>(u"Command3"_s)->click();
        paintNow(grid);
        std::printf("%.3f %lld\n", timer.nsecsElapsed() / 1e9, model->totalRows());
        std::fflush(stdout);
    }
    // The last run's whole count, as the window's status line gives it once it has come.
    QElapsedTimer counting;
    counting.start();
    QEventLoop waiting;
    QObject::connect(model, &QueryModel::totalRowsCounted, &waiting, &QEventLoop::quit);
    if (model->countPending())
        waiting.exec();
    std::fprintf(stderr, "status \"%s\" %.3f s after the first rows\n",
                 qPrintable(window.findChild<QLabel*>(u"Adodc1"_s)->text()), counting.nsecsElapsed() / 1e9);
    return 0;
}

int shot(const QString& folder, const QString& picture)
{
    qputenv("CORVANE_NET_HOME", folder.toUtf8());
    QTemporaryDir settings;
    Registry registry(Registry::Location{settings.path(), settings.path()});
    SettingsStore store(registry);
    QueryWindow window(nullptr, store);
    window.show();
    window.findChild<QPlainTextEdit*>(u"Text1"_s)
        ->setPlainText(
            u"' owners of large files\nSELECT owner, file, Bytes, lastedit FROM Detail WHERE Bytes > 50000"_s);
    window.findChild<QPushButton*>(u"Command3"_s)->click();
    window.sortByColumn(0);
    auto* grid = window.findChild<QTableView*>(u"DataGrid1"_s);
    grid->resizeColumnsToContents();
    grid->setCurrentIndex(grid->model()->index(4, 1));
    paintNow(grid);
    return window.grab().save(picture) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    corvane::configureSqliteLibrary();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() == 4 && arguments[1] == u"fill"_s)
        return fill(arguments[2], arguments[3].toLongLong());
    if (arguments.size() == 4 && arguments[1] == u"shot"_s)
        return shot(arguments[2], arguments[3]);
    if (arguments.size() == 4 && arguments[1] == u"first"_s)
        return firstPages(arguments[2], arguments[3].toDouble());
    if (arguments.size() == 3 && arguments[1] == u"show"_s)
        return show(arguments[2]);
    std::fprintf(stderr, "usage: cv_query_bench fill FOLDER ROWS | show FOLDER | shot FOLDER PNG | first DATABASE SECONDS\n");
    return 2;
}
