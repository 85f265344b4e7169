#include "ScanCommandFixture.h"

#include <csignal>

#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

// The demo network the build copies beside cv, copied again into the temporary application folder.
class DemoCommandTest : public ScanCommandTest
{
protected:
    DemoCommandTest()
    {
        QFile::remove(home.filePath(u"netware.conf"_s));
        const QString demo = QFileInfo(QStringLiteral(CV_EXECUTABLE)).absolutePath() + u"/demo"_s;
        EXPECT_EQ(QProcess::execute(u"cp"_s, {u"-r"_s, demo, home.path()}), 0);
    }
};

TEST_F(DemoCommandTest, DemoThenScanIsAFirstRealScan)
{
    const Run demo = cv({u"--demo"_s});
    ASSERT_EQ(demo.exitCode, 0) << demo.err.constData();
    EXPECT_TRUE(demo.out.contains("Wrote ")) << demo.out.constData();
    EXPECT_EQ(cv({u"--list-paths"_s}).out, "1\t\\\\CORVANE\\VOL1\\\tsubdirectories\t*.*\n"
                                           "2\t\\\\CORVANE4\\DATA\\\tsubdirectories\t*.*\n");
    const Run scan = cv({u"--scan"_s});
    ASSERT_EQ(scan.exitCode, 0) << scan.err.constData();
    EXPECT_TRUE(scan.out.endsWith(" files found. Total of 0.4 KB.\n")) << scan.out.constData();
    for (const char* table : {"Detail", "NewFiles", "OpenedFiles", "EditedFiles", "ArchivedFiles",
                              "DeletedFiles", "DirActivity", "Temp"})
        EXPECT_GT(count(table), 0) << table;

    // Again: the volumes are listed once, and the program's own network file stays.
    QFile configuration(home.filePath(u"netware.conf"_s));
    ASSERT_TRUE(configuration.open(QIODevice::ReadOnly));
    const QByteArray written = configuration.readAll();
    const Run again = cv({u"--demo"_s});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_FALSE(again.out.contains("Wrote "));
    EXPECT_TRUE(again.out.contains("is in the scan path list already"));
    EXPECT_EQ(cv({u"--list-paths"_s}).out.count('\n'), 2);
    configuration.seek(0);
    EXPECT_EQ(configuration.readAll(), written);
}

TEST_F(DemoCommandTest, ANetworkOfTheUsersOwnIsNeverOverwritten)
{
    const QByteArray own = "[server OWN]\nversion = 4.11\nvolume SYS = vol1\n";
    writeHomeFile(u"netware.conf"_s, own);
    const Run demo = cv({u"--demo"_s});
    EXPECT_EQ(demo.exitCode, 1);
    EXPECT_TRUE(demo.err.contains("without the demo servers")) << demo.err.constData();
    QFile configuration(home.filePath(u"netware.conf"_s));
    ASSERT_TRUE(configuration.open(QIODevice::ReadOnly));
    EXPECT_EQ(configuration.readAll(), own);
    EXPECT_EQ(cv({u"--list-paths"_s}).out, QByteArray());
}

// A registry folder that cannot be made: the edit fails as a whole and says so.
TEST_F(DemoCommandTest, APathListThatCannotBeSavedIsReportedNotAnnounced)
{
    writeHomeFile(u"not-a-folder"_s, "x");
    QProcessEnvironment variables = environment();
    variables.insert(u"CORVANE_NET_REGISTRY"_s, home.filePath(u"not-a-folder/registry"_s));
    const QByteArray expected = "the scan path list could not be saved in " +
                                home.filePath(u"not-a-folder/registry/HKEY_CURRENT_USER.reg"_s).toUtf8();
    for (const QStringList& edit : {QStringList{u"--add-path"_s, u"F:\\A"_s}, QStringList{u"--demo"_s}}) {
        const Run run = cv(edit, variables);
        EXPECT_EQ(run.exitCode, 1) << edit.join(u' ').toStdString();
        EXPECT_FALSE(run.out.contains("dded")) << run.out.constData();
        EXPECT_TRUE(run.err.contains(expected)) << run.err.constData();
    }
}

// The folder is filled with what it lacks at every start: a demo folder removed comes back.
TEST_F(DemoCommandTest, ARemovedDemoFolderComesBackFromTheInstalledCopies)
{
    QDir(home.filePath(u"demo"_s)).removeRecursively();
    const Run demo = cv({u"--demo"_s});
    EXPECT_EQ(demo.exitCode, 0) << demo.err.constData();
    EXPECT_TRUE(QFile::exists(home.filePath(u"demo/netware.conf"_s)));
}

// Dating the demo rewrites each volume's metadata: a write that fails part way (a full disk, here a
// file-size limit) must keep the file as it was and say why.
TEST_F(DemoCommandTest, MetadataThatCannotBeWrittenIsKeptAndTheFailureSaid)
{
    ASSERT_EQ(cv({u"--demo"_s}).exitCode, 0);
    const QString metadata = home.filePath(u"demo/VOL1/.netware-meta"_s);
    QFile file(metadata);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    ASSERT_GT(before.size(), 64);
    const Run demo = cv({u"--demo"_s}, environment(), [] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(demo.exitCode, 1);
    EXPECT_EQ(demo.err, QByteArray("cv: " + metadata.toUtf8() + ": File too large\n"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

} // namespace
} // namespace corvane::test
