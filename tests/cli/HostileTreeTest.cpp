#include "DatabaseState.h"
#include "ScanCommandFixture.h"

#include "core/netware/ScanPaths.h"
#include "mock/FileTree.h"
#include "mock/PermissionOverride.h"

#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <random>
#include <thread>

#include <sys/mount.h>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

using Rows = QList<std::pair<QString, QString>>;

// The count of the summary, whatever group separator the locale puts in it; -1 without a summary.
qsizetype filesFound(const QByteArray& summary)
{
    const qsizetype end = summary.indexOf(" files found.");
    if (end < 0)
        return -1;
    QByteArray digits = summary.left(end);
    digits.removeIf([](char c) { return c < '0' || c > '9'; });
    return digits.toLongLong();
}

// cv over hostile volumes: odd names, link loops, folders it may not read, files that come and go
// while it scans, and a database that cannot grow. Every run must end with its report, record
// names as they are, and keep what was committed before.
class HostileTreeTest : public ScanCommandTest
{
protected:
    // Names that are not UTF-8 cannot be removed through QDir.
    ~HostileTreeTest() override { std::filesystem::remove_all(volumePath({}).toStdString()); }

    QByteArray volumePath(const QByteArray& relative) const
    {
        return QFile::encodeName(home.filePath(u"vol1"_s)) + '/' + relative;
    }

    // The Directory and file of every Detail row, sorted; names may hold newlines, so they are
    // read from the file rather than from cv --query's lines.
    Rows detailRows(const QString& database = {}) const
    {
        Rows rows;
        sqlite3* db = nullptr;
        sqlite3_open_v2((database.isEmpty() ? databasePath() : database).toUtf8().constData(), &db,
                        SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT Directory, file FROM Detail", -1, &statement, nullptr);
        while (statement && sqlite3_step(statement) == SQLITE_ROW)
            rows.append(
                {QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))),
                 QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)))});
        sqlite3_finalize(statement);
        sqlite3_close(db);
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    static void expectNoDuplicates(const Rows& rows)
    {
        EXPECT_EQ(std::adjacent_find(rows.cbegin(), rows.cend()), rows.cend());
    }

    static void expectEveryFileTableAlike(const DatabaseState& state)
    {
        for (const char* table : {"NewFiles", "OpenedFiles", "EditedFiles"})
            EXPECT_EQ(state.rows(table), state.rows("Detail")) << table;
    }

    Run addPathAndScan(const QString& path)
    {
        EXPECT_EQ(cv({u"--add-path"_s, path}).exitCode, 0);
        return cv({u"--scan"_s});
    }
};

TEST_F(HostileTreeTest, NamesAreRecordedAsTheyAre)
{
    const QString top = u"\\\\SRV1\\VOL1:ODD"_s;
    Rows expected;
    ASSERT_TRUE(makeFolderAt(volumePath("ODD")));
    for (const QByteArray& name : hostileNames()) {
        ASSERT_TRUE(writeFileAt(volumePath("ODD/" + name))) << name.toStdString();
        expected.append({top, nameText(name)});
        const QByteArray folder = QByteArray(name).replace(".doc", ".dir");
        ASSERT_TRUE(makeFolderAt(volumePath("ODD/" + folder))) << folder.toStdString();
        ASSERT_TRUE(writeFileAt(volumePath("ODD/" + folder + "/inner.doc")));
        expected.append({top + u'\\' + nameText(folder), u"inner.doc"_s});
    }
    // The longest names whose path still fits the client's 254-byte path field, in one-byte and
    // two-byte characters.
    for (const QByteArray& name :
         QByteArrayList{QByteArray(246, 'L') + ".doc", QByteArray("\xC3\xA9").repeated(123) + ".doc"}) {
        ASSERT_TRUE(writeFileAt(volumePath("ODD/" + name)));
        expected.append({top, nameText(name)});
    }
    // A name of the longest length Linux allows does not fit: the server cannot find such a file,
    // and the run goes on without rows for it.
    ASSERT_TRUE(writeFileAt(volumePath("ODD/" + QByteArray(255, 'X'))));
    std::sort(expected.begin(), expected.end());

    const Run scan = addPathAndScan(u"F:\\ODD"_s);
    ASSERT_EQ(scan.exitCode, 0) << scan.err.constData();
    EXPECT_TRUE(scan.out.endsWith(" files found. Total of 0.0 KB.\n")) << scan.out.constData();
    const Rows rows = detailRows();
    EXPECT_EQ(rows.size(), expected.size());
    for (const auto& row : std::as_const(expected))
        EXPECT_TRUE(rows.contains(row)) << row.first.toStdString() << ' ' << row.second.toStdString();
    const DatabaseState state = readDatabaseState(databasePath());
    EXPECT_EQ(state.integrity, u"ok"_s);
    expectEveryFileTableAlike(state);
}

TEST_F(HostileTreeTest, LinkLoopsAreNotFollowed)
{
    for (const QByteArray folder : {"LOOP", "LOOP/A", "LOOP/A/B"})
        ASSERT_TRUE(makeFolderAt(volumePath(folder)));
    ASSERT_TRUE(writeFileAt(volumePath("LOOP/A/IN.DOC")));
    ASSERT_TRUE(writeFileAt(volumePath("LOOP/A/B/DEEP.DOC")));
    ASSERT_TRUE(linkAt("../..", volumePath("LOOP/A/B/up")));
    ASSERT_TRUE(linkAt(".", volumePath("LOOP/self")));
    ASSERT_TRUE(linkAt(volumePath("LOOP"), volumePath("LOOP/A/absolute")));
    ASSERT_TRUE(linkAt("ping", volumePath("LOOP/pong"))); // a loop of links to links
    ASSERT_TRUE(linkAt("pong", volumePath("LOOP/ping")));
    ASSERT_TRUE(linkAt("nowhere.doc", volumePath("LOOP/DANGLING.DOC")));
    ASSERT_TRUE(linkAt("A/IN.DOC", volumePath("LOOP/LINK.DOC")));

    const Run scan = addPathAndScan(u"F:\\LOOP"_s);
    ASSERT_EQ(scan.exitCode, 0) << scan.err.constData();
    EXPECT_EQ(scan.out, "3 files found. Total of 0.0 KB.\n");
    EXPECT_EQ(detailRows(), (Rows{{u"\\\\SRV1\\VOL1:LOOP"_s, u"LINK.DOC"_s},
                                  {u"\\\\SRV1\\VOL1:LOOP\\A"_s, u"IN.DOC"_s},
                                  {u"\\\\SRV1\\VOL1:LOOP\\A\\B"_s, u"DEEP.DOC"_s}}));
}

TEST_F(HostileTreeTest, FoldersThatCannotBeReadAreLeftOut)
{
    for (const QByteArray folder : {"LOCKED", "LOCKED/OPEN", "LOCKED/CLOSED", "LOCKED/CLOSED/SUB",
                                    "LOCKED/LISTONLY", "LOCKED/PASSONLY"})
        ASSERT_TRUE(makeFolderAt(volumePath(folder)));
    for (const QByteArray file :
         {"LOCKED/OPEN/A.DOC", "LOCKED/OPEN/SECRET.DOC", "LOCKED/CLOSED/B.DOC", "LOCKED/CLOSED/SUB/C.DOC",
          "LOCKED/LISTONLY/D.DOC", "LOCKED/PASSONLY/E.DOC"})
        ASSERT_TRUE(writeFileAt(volumePath(file)));
    // A file nobody may read is still listed and its status known; folders need their modes.
    const std::map<QByteArray, mode_t> modes = {{"LOCKED/OPEN/SECRET.DOC", 0},
                                                {"LOCKED/CLOSED", 0},
                                                {"LOCKED/LISTONLY", 0444},
                                                {"LOCKED/PASSONLY", 0111}};
    for (const auto& [path, mode] : modes)
        ASSERT_EQ(::chmod(volumePath(path).constData(), mode), 0);
    const auto restoreModes = qScopeGuard([&] {
        for (const auto& [path, mode] : modes)
            ::chmod(volumePath(path).constData(), 0755);
    });
    QProcess probe;
    probe.setChildProcessModifier(withoutPermissionOverride);
    probe.start(u"/bin/ls"_s, {QFile::decodeName(volumePath("LOCKED/CLOSED"))});
    probe.waitForFinished();
    if (probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0)
        GTEST_SKIP() << "this machine lets every process read a folder of mode 000";

    ASSERT_EQ(cv({u"--add-path"_s, u"F:\\LOCKED"_s}).exitCode, 0);
    const Run scan = cv({u"--scan"_s}, environment(), withoutPermissionOverride);
    ASSERT_EQ(scan.exitCode, 0) << scan.err.constData();
    EXPECT_EQ(scan.out, "2 files found. Total of 0.0 KB.\n");
    EXPECT_EQ(detailRows(), (Rows{{u"\\\\SRV1\\VOL1:LOCKED\\OPEN"_s, u"A.DOC"_s},
                                  {u"\\\\SRV1\\VOL1:LOCKED\\OPEN"_s, u"SECRET.DOC"_s}}));
}

// Held in the middle of a folder: the folders not reached yet are deleted or replaced, the files of
// the folder being listed deleted and others created, a folder added. The run goes on over what
// is there and records each file it found once.
TEST_F(HostileTreeTest, FilesComeAndGoWhileTheScanRuns)
{
    constexpr int folders = 40;
    constexpr int perFolder = 50;
    writeManyFiles(folders, perFolder);
    ASSERT_EQ(cv({u"--add-path"_s, u"F:\\MANY"_s}).exitCode, 0);
    QProcess process;
    process.setProcessEnvironment(environment());
    process.setReadChannel(QProcess::StandardError);
    process.start(QStringLiteral(CV_EXECUTABLE), {u"--scan"_s});
    ASSERT_TRUE(process.waitForStarted());
    const auto pid = pid_t(process.processId());
    QByteArray err;
    while (err.count("Scanning ") < 12 && process.state() == QProcess::Running) {
        process.waitForReadyRead(10000);
        err += process.readAllStandardError();
    }
    ::kill(pid, SIGSTOP);
    while (process.waitForReadyRead(200))
        err += process.readAllStandardError();
    ASSERT_FALSE(err.contains("Updating database...")) << "the scan ended before it could be held";

    QStringList reached;
    const QRegularExpression folderLine(uR"(Scanning F:\\MANY\\(F\d+)\\)"_s);
    for (auto match = folderLine.globalMatch(QString::fromUtf8(err)); match.hasNext();)
        reached.append(match.next().captured(1));
    ASSERT_FALSE(reached.isEmpty());
    const QString current = reached.takeLast();
    QStringList removed;
    for (int folder = 0; folder < folders; ++folder) {
        const QString name = u"F"_s + QString::number(folder);
        if (reached.contains(name) || name == current)
            continue;
        const QString path = home.filePath(u"vol1/MANY/"_s + name);
        std::filesystem::remove_all(QFile::encodeName(path).toStdString());
        removed.append(name);
        // One gone folder comes back as a file, one as a link to a folder.
        if (removed.size() == 1)
            writeFileAt(QFile::encodeName(path));
        else if (removed.size() == 2)
            linkAt(QFile::encodeName(current), QFile::encodeName(path));
    }
    const QByteArray currentPath = volumePath("MANY/" + current.toLatin1());
    for (int file = 0; file < perFolder; ++file)
        ::unlink(QByteArray(currentPath + "/FILE" + QByteArray::number(file) + ".DOC").constData());
    for (int file = 0; file < 10; ++file)
        writeFileAt(currentPath + "/NEW" + QByteArray::number(file) + ".DOC");
    ASSERT_TRUE(makeFolderAt(volumePath("MANY/LATE")));
    ASSERT_TRUE(writeFileAt(volumePath("MANY/LATE/LATE.DOC")));
    ::kill(pid, SIGCONT);
    ASSERT_TRUE(process.waitForFinished(120000));
    err += process.readAllStandardError();
    EXPECT_EQ(process.exitCode(), 0) << err.right(500).constData();

    const Rows rows = detailRows();
    expectNoDuplicates(rows);
    QMap<QString, int> perDirectory;
    for (const auto& [directory, file] : rows)
        ++perDirectory[directory.section(u'\\', -1)];
    for (const QString& folder : std::as_const(reached))
        EXPECT_EQ(perDirectory.value(folder), perFolder) << folder.toStdString();
    EXPECT_LE(perDirectory.value(current), perFolder + 10);
    for (const QString& folder : std::as_const(removed))
        EXPECT_EQ(perDirectory.value(folder), 0) << folder.toStdString();
    EXPECT_EQ(perDirectory.value(u"LATE"_s), 0);
    // The held scan may have listed files of the current folder that were then deleted before
    // their lookup: each is counted as found, with no entry left to record.
    const qsizetype found = filesFound(process.readAllStandardOutput());
    EXPECT_LE(rows.size(), found);
    EXPECT_LE(found, rows.size() + perFolder);
    const DatabaseState state = readDatabaseState(databasePath());
    EXPECT_EQ(state.integrity, u"ok"_s);
    expectEveryFileTableAlike(state);
}

// Files and folders created and deleted at random all through a run, as busy users would.
TEST_F(HostileTreeTest, ARunOverAChurningVolumeEndsWithEachFileOnce)
{
    writeManyFiles(30, 50);
    ASSERT_EQ(cv({u"--add-path"_s, u"F:\\MANY"_s}).exitCode, 0);
    std::atomic<bool> running{true};
    std::thread churn([this, &running] {
        std::mt19937 random(20261208u);
        const QByteArray many = volumePath("MANY");
        for (int step = 0; running; ++step) {
            const QByteArray folder = many + "/F" + QByteArray::number(random() % 34);
            const QByteArray file = folder + "/FILE" + QByteArray::number(random() % 60) + ".DOC";
            switch (random() % 4) {
            case 0:
                ::unlink(file.constData());
                break;
            case 1:
                makeFolderAt(folder);
                writeFileAt(file);
                break;
            case 2:
                ::rename(file.constData(),
                         QByteArray(folder + "/MOVED" + QByteArray::number(step) + ".DOC").constData());
                break;
            default:
                if (random() % 20 == 0)
                    std::filesystem::remove_all(folder.toStdString());
            }
        }
    });
    const Run scan = cv({u"--scan"_s});
    running = false;
    churn.join();
    ASSERT_EQ(scan.exitCode, 0) << scan.err.right(500).constData();
    const Rows rows = detailRows();
    expectNoDuplicates(rows);
    // A file deleted between its listing and the server's lookup of its entry is counted as
    // found but has no entry left to record, so the count may only exceed the rows.
    EXPECT_LE(rows.size(), filesFound(scan.out)) << scan.out.constData();
    const DatabaseState state = readDatabaseState(databasePath());
    EXPECT_EQ(state.integrity, u"ok"_s);
    expectEveryFileTableAlike(state);
}

// A database that cannot take a run's rows: the run fails with the disk's words, the file keeps
// what earlier runs committed, and once there is room the next run records everything.
class FullDiskTest : public HostileTreeTest
{
protected:
    struct Place
    {
        QString home;
        QString registry;
        QProcessEnvironment variables;
    };

    // A small committed run first, then a large one that must fail.
    void expectFailureKeepsTheCommittedRun(const Place& place, const std::function<void()>& makeFull,
                                           const std::function<void()>& inChild,
                                           const std::function<void()>& makeRoom)
    {
        for (int file = 0; file < 20; ++file)
            writeHomeFile(u"vol1/SMALL/S"_s + QString::number(file) + u".DOC"_s, "x");
        ASSERT_EQ(cv({u"--add-path"_s, u"F:\\SMALL"_s}, place.variables).exitCode, 0);
        const Run small = cv({u"--scan"_s}, place.variables);
        ASSERT_EQ(small.exitCode, 0) << small.err.constData();
        forgetLastScan(place.registry);
        writeManyFiles(40, 50);
        ASSERT_EQ(cv({u"--add-path"_s, u"F:\\MANY"_s}, place.variables).exitCode, 0);
        const QString database = place.home + u"/cv.mdb"_s;
        const DatabaseState before = readDatabaseState(database);
        ASSERT_EQ(before.rows("Detail"), 20);

        makeFull();
        const Run refused = cv({u"--scan"_s}, place.variables, inChild);
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_TRUE(refused.out.isEmpty()) << refused.out.constData();
        // Refused at the commit, or at the opening when not even the journal finds room.
        EXPECT_TRUE(refused.err.endsWith(" : Disk full.\n") ||
                    refused.err.endsWith(" : Disk or network error.\n") ||
                    refused.err.contains(".\nError -2147467259 : Disk full.\ncv: the scan did not run: Unable to open "
                                         "database "))
            << refused.err.right(500).constData();
        const DatabaseState after = readDatabaseState(database);
        EXPECT_EQ(after.integrity, u"ok"_s);
        EXPECT_EQ(after.tables, before.tables);

        makeRoom();
        const Run next = cv({u"--scan"_s}, place.variables);
        ASSERT_EQ(next.exitCode, 0) << next.err.right(500).constData();
        EXPECT_EQ(filesFound(next.out), 2020) << next.out.constData();
        const DatabaseState last = readDatabaseState(database);
        EXPECT_EQ(last.integrity, u"ok"_s);
        EXPECT_EQ(last.rows("Detail"), 20 + 2020);
        expectEveryFileTableAlike(last);
    }
};

// Writes past a size limit fail with EFBIG (SIGXFSZ ignored), as writes to a full disk do.
TEST_F(FullDiskTest, ADatabaseThatCannotGrow)
{
    const Place place{home.path(), registryFolder.path(), environment()};
    rlim_t limit = 0;
    const auto limitWrites = [&limit] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit size{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &size);
    };
    expectFailureKeepsTheCommittedRun(
        place, [&] { limit = rlim_t(QFileInfo(databasePath()).size() + 8192); }, limitWrites, [] {});
}

// A small file system of its own, filled up, holding cv.mdb and the registry; where mounting is not
// allowed the size limit above stands in for it.
TEST_F(FullDiskTest, AFullFileSystem)
{
    QTemporaryDir mountPoint;
    if (::mount("tmpfs", QFile::encodeName(mountPoint.path()).constData(), "tmpfs", 0, "size=2m") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here: " << std::strerror(errno);
    const auto unmount =
        qScopeGuard([&] { ::umount2(QFile::encodeName(mountPoint.path()).constData(), MNT_DETACH); });
    const QString full = mountPoint.path();
    ASSERT_TRUE(QFile::copy(databasePath(), full + u"/cv.mdb"_s));
    QFile conf(full + u"/netware.conf"_s);
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("[server SRV1]\nversion = 3.12\nvolume VOL1 = " + QFile::encodeName(home.filePath(u"vol1"_s)) +
               "\n[drives]\nF = SRV1/VOL1\n");
    conf.close();
    Place place{full, full + u"/registry"_s, environment()};
    place.variables.insert(u"CORVANE_NET_HOME"_s, place.home);
    place.variables.insert(u"CORVANE_NET_REGISTRY"_s, place.registry);
    const QByteArray filler = QFile::encodeName(full + u"/filler"_s);
    const auto fill = [&filler] {
        QFile file(QFile::decodeName(filler));
        file.open(QIODevice::WriteOnly);
        const QByteArray block(4096, 'f');
        while (file.write(block) == block.size() && file.flush()) {
        }
    };
    expectFailureKeepsTheCommittedRun(place, fill, {}, [&filler] { ::unlink(filler.constData()); });
    Registry registry({place.registry, place.registry});
    EXPECT_EQ(SettingsStore(registry).get(u"Options"_s, u"Dir_1"_s, {}), u"F:\\MANY"_s);
}

} // namespace
} // namespace corvane::test
