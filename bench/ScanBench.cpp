// The directory scan over an emulated volume: every file's events fall today (created, opened and
// edited by its file times, archived by the volume's metadata), every table is on, and the rows go
// into a real cv.mdb in one transaction, as a scan run writes them.
//
//   cv_scan_bench make TREE [FOLDERS FILES]   TREE/vol with FOLDERS folders of FILES files each
//                                             (default 2000 x 50) and TREE/netware.conf
//   cv_scan_bench age TREE FOLDERS FILES DAYS rewrites the metadata of a made tree so that every
//                                             event of every file falls DAYS days ago: a scan
//                                             today writes its Detail rows only
//   cv_scan_bench scan TREE [PATH]            scans PATH (default //BENCH/VOL) into TREE/cv.mdb;
//                                             prints the files, files/s, the peak memory (MiB)
//                                             and the seconds the server took to read its metadata

#include "core/common/UserInterfacePort.h"
#include "core/db/AuditDatabase.h"
#include "core/db/RowSet.h"
#include "core/netware/EmulatedNetWareClient.h"
#include "core/netware/PathResolution.h"
#include "core/scan/ScanContext.h"
#include "core/scan/ScanDirectory.h"
#include "core/settings/ScanSettings.h"
#include "core/sqlite/SqliteLibrary.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <sys/resource.h>

#include <cstdio>
#include <memory>
#include <vector>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

constexpr int FoldersPerGroup = 50;

// The scan shows nothing and nobody presses Stop.
class QuietUserInterface final : public UserInterfacePort
{
public:
    void showMessage(const QString&, Icon) override {}
    Answer askYesNo(const QString&, Answer defaultAnswer) override { return defaultAnswer; }
    void showStatus(const QString&) override {}
    void appendStatus(const QString&) override {}
    void beep() override {}
    void setWaitCursor(bool) override {}
    void yield() override {}
};

bool writeFile(const QString& path, const QByteArray& contents, const QDateTime& modified = {})
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size() &&
           (!modified.isValid() || file.setFileTime(modified, QFileDevice::FileModificationTime));
}

QString folderOf(int folder)
{
    return u"G%1/F%2"_s.arg(folder / FoldersPerGroup, 3, 10, QChar(u'0'))
        .arg(folder % FoldersPerGroup, 2, 10, QChar(u'0'));
}

QString fileName(int file)
{
    return u"report-%1.doc"_s.arg(file, 4, 10, QChar(u'0'));
}

// Every file archived at 18:00 of the day by the backup user; a day before today also sets the
// other events of the file to that day, which its own times would put today.
bool writeMetadata(const QString& tree, int folders, int filesPerFolder, int daysAgo)
{
    const QByteArray day = QDate::currentDate().addDays(-daysAgo).toString(u"yyyy-MM-dd"_s).toLatin1();
    const QByteArray otherEvents =
        daysAgo == 0 ? QByteArray()
                     : "created = " + day + " 09:00:00\nmodified = " + day + " 10:00:00\naccessed = " + day + '\n';
    QByteArray metadata = "[users]\n9001 = backup\n";
    for (int folder = 0; folder < folders; ++folder) {
        for (int file = 0; file < filesPerFolder; ++file)
            metadata += "[entry " + (folderOf(folder) + u'/' + fileName(file)).toLatin1() + "]\narchived = " +
                        day + " 18:00:00\narchiver = 9001\n" + otherEvents;
    }
    // The server reads its metadata again while it may still be changing, in the seconds after a
    // write; a scan does not run in the middle of editing it.
    return writeFile(tree + u"/vol/.netware-meta"_s, metadata, QDateTime::currentDateTime().addSecs(-60));
}

int make(const QString& tree, int folders, int filesPerFolder)
{
    const QString volume = tree + u"/vol"_s;
    for (int folder = 0; folder < folders; ++folder) {
        if (!QDir().mkpath(volume + u'/' + folderOf(folder)))
            return 1;
        for (int file = 0; file < filesPerFolder; ++file) {
            if (!writeFile(volume + u'/' + folderOf(folder) + u'/' + fileName(file), QByteArray(100 + file, 'x')))
                return 1;
        }
    }
    const bool written =
        writeMetadata(tree, folders, filesPerFolder, 0) &&
        writeFile(tree + u"/netware.conf"_s, "[server BENCH]\nversion = 3.12\nvolume VOL = vol\n");
    return written ? 0 : 1;
}

struct Tables
{
    explicit Tables(AuditDatabase& database)
    {
        for (const char* table :
             {"Detail", "NewFiles", "OpenedFiles", "DeletedFiles", "EditedFiles", "ArchivedFiles"}) {
            rows.push_back(std::make_unique<RowSet>(database));
            rows.back()->open(QLatin1String(table));
        }
    }
    ScanRowSets rowSets() const
    {
        return {rows[0].get(), rows[1].get(), rows[2].get(), rows[3].get(), rows[4].get(), rows[5].get()};
    }
    std::vector<std::unique_ptr<RowSet>> rows;
};

int scan(const QString& tree, const QString& path)
{
    const QString databasePath = tree + u"/cv.mdb"_s;
    QFile::remove(databasePath);
    if (!QFile::copy(QStringLiteral(CV_DATABASE_FILE), databasePath) ||
        !QFile::setPermissions(databasePath, QFile::ReadOwner | QFile::WriteOwner))
        return 1;
    EmulatedNetWareClient client(tree + u"/netware.conf"_s);
    AuditDatabase database;
    if (client.NWCallsInit() != NWResult::Success ||
        database.open(databasePath, AuditDatabase::Access::ReadWrite).isError())
        return 1;
    ScanSettings settings;
    for (const FlagKey& key : flagKeys())
        settings.setFlag(key.flag, key.defaultValue);
    QuietUserInterface ui;
    const bool stop = false;
    const Tables tables(database);
    ScanContext context{settings, QDate::currentDate(), client, client.configuration(), ui, tables.rowSets(),
                        true, stop};

    // The server has read its volume's metadata before the scan starts, as a server keeps it.
    QElapsedTimer timer;
    timer.start();
    ClientDirectory::open(client, "BENCH", "VOL:");
    const double serverStart = timer.nsecsElapsed() / 1e9;
    timer.restart();
    database.beginTransaction();
    {
        // As the scan run does: the rows go on to SQLite on a thread of their own.
        const AuditDatabase::InsertsInBackground inserts(database);
        ScanDirectory(context, path, u"*.*"_s, true);
    }
    database.commit();
    const double seconds = timer.nsecsElapsed() / 1e9;
    struct rusage usage
    {
    };
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%d %.0f %.1f %.2f\n", context.FilesFound, context.FilesFound / seconds,
                usage.ru_maxrss / 1024.0, serverStart);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    corvane::configureSqliteLibrary();
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() >= 3 && arguments[1] == u"make"_s) {
        const int folders = arguments.size() > 3 ? arguments[3].toInt() : 2000;
        const int files = arguments.size() > 4 ? arguments[4].toInt() : 50;
        return make(arguments[2], folders, files);
    }
    if (arguments.size() == 6 && arguments[1] == u"age"_s)
        return writeMetadata(arguments[2], arguments[3].toInt(), arguments[4].toInt(), arguments[5].toInt()) ? 0 : 1;
    if (arguments.size() >= 3 && arguments[1] == u"scan"_s)
        return scan(arguments[2], arguments.size() > 3 ? arguments[3] : u"//BENCH/VOL"_s);
    std::fprintf(stderr, "usage: cv_scan_bench make TREE [FOLDERS FILES] | age TREE FOLDERS FILES DAYS | "
                         "scan TREE [PATH]\n");
    return 2;
}
