#include "ScanFixture.h"

#include "core/netware/LiveListing.h"
#include "core/scan/ScanDirectory.h"

#include <limits>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

TEST(WildcardSpec, MatchesLiveNamesAsTheWindowsListingDoes)
{
    const auto matches = [](const char16_t* spec, const QByteArray& name) {
        return WildcardSpec(QString::fromUtf16(spec)).matches(name);
    };
    EXPECT_TRUE(matches(u"*.doc", "Report.DOC"));
    EXPECT_TRUE(matches(u"*.doc", "old.report.doc"));
    EXPECT_FALSE(matches(u"*.doc", "report.docx"));
    EXPECT_FALSE(matches(u"*.doc", "reportdoc"));
    EXPECT_TRUE(matches(u"*.*", "README"));
    EXPECT_TRUE(matches(u"*", ".profile"));
    EXPECT_TRUE(matches(u"budget.*", "budget"));
    EXPECT_TRUE(matches(u"budget.*", "BUDGET.tar.gz"));
    EXPECT_FALSE(matches(u"budget.*", "budgets"));
    EXPECT_TRUE(matches(u"report?.xls", "report1.xls"));
    EXPECT_FALSE(matches(u"report?.xls", "report12.xls"));
    EXPECT_FALSE(matches(u"report?.xls", "report.xls"));
    EXPECT_TRUE(matches(u"a*b*c", "aXbYbZc"));
    EXPECT_FALSE(matches(u"a*b*c", "aXbYcZ"));
    EXPECT_TRUE(matches(u"*\u00E9t\u00E9*", "\xC3\x89T\xC3\x89.txt")); // UTF-8 name, any case
    EXPECT_TRUE(matches(u"r\u00E9sum\u00E9.doc", "r\xE9sum\xE9.doc")); // Latin-1 bytes, read as such
    EXPECT_FALSE(matches(u"", "a"));
}

class ScanDirectoryTest : public test::ScanTest
{
protected:
    qint32 scan(const QString& path, const QString& spec = u"*.*"_s, bool subdirectories = false)
    {
        return ScanDirectory(context, path, spec, subdirectories);
    }

    void writeMetadata(const QByteArray& lines)
    {
        network.writeFile(u"vol1/.netware-meta"_s, "[users]\n1001 = alice\n" + lines);
    }

    void makeSparseFile(const QString& relative, qint64 size)
    {
        network.writeFile(relative, "");
        ASSERT_TRUE(QFile::resize(network.path(relative), size));
    }
};

TEST_F(ScanDirectoryTest, EmptyDirectoryShowsItsPathAndWritesNothing)
{
    QDir().mkpath(network.path(u"vol1/EMPTY"_s));
    context.FilesFound = 7;
    EXPECT_EQ(scan(u"F:\\EMPTY"_s, u"*.doc"_s), 0);
    EXPECT_EQ(context.FilesFound, 7);
    EXPECT_EQ(ui.status, u"Scanning F:\\EMPTY\\*.doc..."_s);
    EXPECT_TRUE(rows(u"Detail"_s).isEmpty());
    EXPECT_TRUE(rows(u"DeletedFiles"_s).isEmpty());

    EXPECT_EQ(scan(network.path(u"vol1/EMPTY/"_s), u"*.doc"_s), 0);
    EXPECT_EQ(ui.status, u"Scanning "_s + network.path(u"vol1/EMPTY/"_s) + u"*.doc..."_s);
}

TEST_F(ScanDirectoryTest, MissingDirectoryShowsTheBareSeparator)
{
    EXPECT_EQ(scan(u"F:\\MISSING"_s, u"*.doc"_s, true), 0);
    EXPECT_EQ(ui.status, u"Scanning \\*.doc..."_s);
    EXPECT_EQ(scan(network.path(u"missing"_s), u"*.doc"_s, true), 0);
    EXPECT_EQ(ui.status, u"Scanning /*.doc..."_s);
}

TEST_F(ScanDirectoryTest, OwnFilesComeFirstThenEachSubdirectoryWithTheSumOfAll)
{
    network.writeFile(u"vol1/TOP/ONE.DOC"_s, "1");
    network.writeFile(u"vol1/TOP/TWO.DOC"_s, "22");
    network.writeFile(u"vol1/TOP/SKIP.TXT"_s, "skipped");
    network.writeFile(u"vol1/TOP/A/THREE.DOC"_s, "333");
    network.writeFile(u"vol1/TOP/B/FOUR.DOC"_s, "4444");
    network.writeFile(u"vol1/TOP/B/FIVE.DOC"_s, "55555");
    network.writeFile(u"vol1/TOP/B/C/SIX.DOC"_s, "666666");

    EXPECT_EQ(scan(u"F:\\TOP"_s, u"*.doc"_s, true), 21);
    EXPECT_EQ(context.FilesFound, 6);
    const QStringList directories = column(u"Detail"_s, u"Directory"_s);
    ASSERT_EQ(directories.size(), 6);
    EXPECT_EQ(directories.mid(0, 2), QStringList(2, u"\\\\SRV1\\VOL1:TOP"_s));
    // Each subdirectory is finished before the next one starts, in the file system's order.
    QStringList order = directories;
    order.removeDuplicates();
    EXPECT_EQ(order.size(), 4);
    EXPECT_EQ(order.count(u"\\\\SRV1\\VOL1:TOP\\B\\C"_s), 1);
    EXPECT_EQ(directories.indexOf(u"\\\\SRV1\\VOL1:TOP\\B\\C"_s),
              directories.lastIndexOf(u"\\\\SRV1\\VOL1:TOP\\B"_s) + 1);

    EXPECT_EQ(scan(u"F:\\TOP"_s, u"*.doc"_s, false), 3);
    EXPECT_EQ(context.FilesFound, 8);
}

TEST_F(ScanDirectoryTest, EveryPathFormListsTheSameFiles)
{
    network.writeFile(u"vol1/DATA/REPORT.DOC"_s, "12345");
    for (const QString& path : {u"F:\\DATA"_s, u"F:\\DATA\\"_s, u"\\\\SRV1\\VOL1\\DATA"_s,
                                u"//srv1/vol1/data"_s, network.path(u"vol1/DATA"_s)})
        EXPECT_EQ(scan(path, u"report.doc"_s), 5) << path.toStdString();
    EXPECT_EQ(column(u"Detail"_s, u"Directory"_s), QStringList(5, u"\\\\SRV1\\VOL1:DATA"_s));
    EXPECT_EQ(ui.statusHistory.mid(0, 4),
              (QStringList{u"Scanning F:\\DATA\\report.doc..."_s, u"Scanning F:\\DATA\\report.doc..."_s,
                           u"Scanning \\\\SRV1\\VOL1\\DATA\\report.doc..."_s,
                           u"Scanning //srv1/vol1/data/report.doc..."_s}));
}

TEST_F(ScanDirectoryTest, DeletedTodayIsRecordedAndYesterdayIsNot)
{
    QDir().mkpath(network.path(u"vol1/DATA"_s));
    writeMetadata("[deleted DATA/OLD.DOC]\nsize = 12345\ndeleted = 2026-12-07 11:30:00\ndeletor = alice\n"
                  "[deleted DATA/OLDER.DOC]\nsize = 1\ndeleted = 2026-12-06 11:30:00\ndeletor = alice\n"
                  "[deleted DATA/NODATE.DOC]\nsize = 1\ndeleted = none\n");
    scan(u"F:\\DATA"_s, u"*.doc"_s);
    ASSERT_EQ(rows(u"DeletedFiles"_s).size(), 1);
    EXPECT_EQ(rows(u"DeletedFiles"_s)[0], (QVariantMap{{u"Directory"_s, u"\\\\SRV1\\VOL1:DATA"_s},
                                                       {u"Deleted"_s, u"2026-12-07 11:30:00"_s},
                                                       {u"Deletor"_s, u"ALICE"_s},
                                                       {u"file"_s, u"OLD.DOC"_s},
                                                       {u"Bytes"_s, 12345}}));
    // Found again by the next scan.
    scan(u"F:\\DATA"_s, u"*.doc"_s);
    EXPECT_EQ(rows(u"DeletedFiles"_s).size(), 2);
}

TEST_F(ScanDirectoryTest, DeletedNamesMustMatchTheSpec)
{
    QDir().mkpath(network.path(u"vol1/DATA"_s));
    writeMetadata("[deleted DATA/report.tmp]\ndeleted = 2026-12-07 11:30:00\n");
    scan(u"F:\\DATA"_s, u"*.doc"_s);
    EXPECT_TRUE(rows(u"DeletedFiles"_s).isEmpty());
    scan(u"F:\\DATA"_s, u"*.*"_s);
    EXPECT_EQ(column(u"DeletedFiles"_s, u"file"_s), QStringList{u"report.tmp"_s});
}

TEST_F(ScanDirectoryTest, DeletorAndSizeOffLeaveTheirColumnsEmpty)
{
    QDir().mkpath(network.path(u"vol1/DATA"_s));
    writeMetadata("[deleted DATA/OLD.DOC]\nsize = 5\ndeleted = 2026-12-07 11:30:00\ndeletor = alice\n");
    settings.setFlag(Flag::Deletor, false);
    settings.setFlag(Flag::Size, false);
    settings.setFlag(Flag::Deleted, false);
    scan(u"F:\\DATA"_s);
    ASSERT_EQ(rows(u"DeletedFiles"_s).size(), 1);
    const QVariantMap row = rows(u"DeletedFiles"_s)[0];
    EXPECT_TRUE(row[u"Deletor"_s].isNull() && row[u"Bytes"_s].isNull() && row[u"Deleted"_s].isNull());
    EXPECT_EQ(row[u"file"_s], u"OLD.DOC"_s);
}

TEST_F(ScanDirectoryTest, DeletedFilesOfTheVolumeRootCarryTheColon)
{
    network.writeFile(u"vol1/ROOT.DOC"_s);
    writeMetadata("[deleted GONE.DOC]\ndeleted = 2026-12-07 11:30:00\n");
    scan(u"F:\\"_s);
    EXPECT_EQ(column(u"DeletedFiles"_s, u"Directory"_s), QStringList{u"\\\\SRV1\\VOL1:"_s});
    EXPECT_EQ(column(u"Detail"_s, u"Directory"_s), QStringList{u"\\\\SRV1\\VOL1"_s});
    EXPECT_EQ(ui.status, u"Scanning F:\\*.*..."_s);
}

TEST_F(ScanDirectoryTest, WithoutTheNetworkNoDeletedFilesAndPlainDirectories)
{
    network.writeFile(u"plain/A.DOC"_s, "abc");
    network.writeFile(u"plain/SUB/B.DOC"_s, "de");
    writeMetadata("[deleted DATA/OLD.DOC]\ndeleted = 2026-12-07 11:30:00\n");
    QDir().mkpath(network.path(u"vol1/DATA"_s));
    context.networkMode = false;
    EXPECT_EQ(scan(network.path(u"plain"_s), u"*.doc"_s, true), 5);
    EXPECT_EQ(scan(network.path(u"vol1/DATA"_s)), 0);
    EXPECT_TRUE(rows(u"DeletedFiles"_s).isEmpty());
    EXPECT_EQ(column(u"Detail"_s, u"Directory"_s),
              (QStringList{network.path(u"plain"_s), network.path(u"plain/SUB"_s)}));
}

TEST_F(ScanDirectoryTest, HiddenFilesOnlyWithHiddenOn)
{
    network.writeFile(u"vol1/DATA/.hidden.doc"_s);
    network.writeFile(u"vol1/DATA/shown.doc"_s);
    scan(u"F:\\DATA"_s, u"*.doc"_s);
    EXPECT_EQ(column(u"Detail"_s, u"file"_s), QStringList{u"shown.doc"_s});
    settings.setFlag(Flag::Hidden, true);
    scan(u"F:\\DATA"_s, u".hidden.doc"_s);
    EXPECT_EQ(column(u"Detail"_s, u"file"_s), (QStringList{u"shown.doc"_s, u".hidden.doc"_s}));
}

TEST_F(ScanDirectoryTest, SystemFilesOnlyWithSystemOn)
{
    network.writeFile(u"vol1/DATA/SYS.DOC"_s, "123");
    network.writeFile(u"vol1/DATA/USER.DOC"_s, "45");
    writeMetadata("[entry DATA/SYS.DOC]\nsystem = yes\n");
    EXPECT_EQ(scan(u"F:\\DATA"_s), 2);
    EXPECT_EQ(column(u"Detail"_s, u"file"_s), QStringList{u"USER.DOC"_s});
    settings.setFlag(Flag::System, true);
    EXPECT_EQ(scan(u"F:\\DATA"_s, u"sys.doc"_s), 3);
    EXPECT_EQ(column(u"Detail"_s, u"file"_s), (QStringList{u"USER.DOC"_s, u"SYS.DOC"_s}));
}

TEST_F(ScanDirectoryTest, TheServersOwnFilesAreNoEntries)
{
    writeMetadata("");
    network.writeFile(u"vol1/.Trash-0/info/x.trashinfo"_s, "[Trash Info]\n");
    network.writeFile(u"vol1/.Trash-0/files/x"_s);
    network.writeFile(u"vol1/ROOT.DOC"_s);
    settings.setFlag(Flag::Hidden, true);
    scan(u"F:\\"_s, u"*"_s, true);
    EXPECT_EQ(column(u"Detail"_s, u"file"_s), QStringList{u"ROOT.DOC"_s});
}

TEST_F(ScanDirectoryTest, StopDuringTheTenthFileIsSeenAtTheEleventh)
{
    for (const QString& folder : {u"A"_s, u"B"_s, u"C"_s}) {
        for (int i = 1; i <= 15; ++i)
            network.writeFile(u"vol1/TOP/%1/F%2.DOC"_s.arg(folder).arg(i));
    }
    ui.onYield = [this] { stop = stop || ui.yields == 11; };
    EXPECT_EQ(scan(u"F:\\TOP"_s, u"*.doc"_s, true), 11 * 4);
    EXPECT_EQ(context.FilesFound, 11);
    EXPECT_EQ(ui.yields, 12); // the eleven files, then the enclosing call's yield after the subdirectory
    // The first subdirectory listed stops after its eleventh file; the others are not entered.
    QStringList directories = column(u"Detail"_s, u"Directory"_s);
    EXPECT_EQ(directories.size(), 11);
    directories.removeDuplicates();
    EXPECT_EQ(directories.size(), 1);
}

TEST_F(ScanDirectoryTest, ACallStartedAfterStopStillRecordsItsDeletedFiles)
{
    network.writeFile(u"vol1/DATA/LIVE.DOC"_s);
    writeMetadata("[deleted DATA/OLD.DOC]\ndeleted = 2026-12-07 11:30:00\n");
    stop = true;
    EXPECT_EQ(scan(u"F:\\DATA"_s), 0);
    EXPECT_EQ(rows(u"DeletedFiles"_s).size(), 1);
    EXPECT_TRUE(rows(u"Detail"_s).isEmpty());
    EXPECT_EQ(ui.yields, 0);
}

TEST_F(ScanDirectoryTest, TheTotalNeverPassesTheLargest32BitCount)
{
    constexpr qint64 Max = std::numeric_limits<qint32>::max();
    makeSparseFile(u"vol1/BIG/MAX.DAT"_s, Max);
    makeSparseFile(u"vol1/BIG/B/HUGE.DAT"_s, 3 * (qint64{1} << 30));
    network.writeFile(u"vol1/BIG/B/ONE.DAT"_s, "1");
    EXPECT_EQ(scan(u"F:\\BIG"_s, u"*.dat"_s, true), Max);
    EXPECT_EQ(context.FilesFound, 3);
    // The rows keep the real sizes.
    QStringList sizes = column(u"Detail"_s, u"Bytes"_s);
    sizes.sort();
    EXPECT_EQ(sizes, (QStringList{u"1"_s, u"2147483647"_s, u"3221225472"_s}));
}

TEST_F(ScanDirectoryTest, LinksToDirectoriesAreNotFollowed)
{
    network.writeFile(u"vol1/TOP/A/IN.DOC"_s);
    network.writeFile(u"vol1/OUT/OUT.DOC"_s);
    ASSERT_EQ(symlink("..", QFile::encodeName(network.path(u"vol1/TOP/A/loop"_s)).constData()), 0);
    ASSERT_EQ(symlink("../OUT", QFile::encodeName(network.path(u"vol1/TOP/out"_s)).constData()), 0);
    ASSERT_EQ(symlink("A/IN.DOC", QFile::encodeName(network.path(u"vol1/TOP/LINK.DOC"_s)).constData()), 0);
    EXPECT_EQ(scan(u"F:\\TOP"_s, u"*.doc"_s, true), 8);
    QStringList files = column(u"Detail"_s, u"file"_s);
    files.sort();
    EXPECT_EQ(files, (QStringList{u"IN.DOC"_s, u"LINK.DOC"_s}));
}

TEST_F(ScanDirectoryTest, FilesGoneBeforeTheirTurnArePassedOver)
{
    for (const QString& name : {u"A.DOC"_s, u"B.DOC"_s, u"C.DOC"_s})
        network.writeFile(u"vol1/DATA/"_s + name);
    ui.onYield = [this] {
        for (const QString& name : {u"A.DOC"_s, u"B.DOC"_s, u"C.DOC"_s})
            QFile::remove(network.path(u"vol1/DATA/"_s + name));
    };
    EXPECT_EQ(scan(u"F:\\DATA"_s), 0);
    EXPECT_EQ(context.FilesFound, 0);
    EXPECT_TRUE(rows(u"Detail"_s).isEmpty());
}

TEST_F(ScanDirectoryTest, OddNamesAreRecordedAsTheyAre)
{
    const QList<QByteArray> names = {"it's \"odd\".doc", "two  spaces .doc", "new\nline.doc",
                                     "caf\xC3\xA9.doc", "latin\xE9.doc"};
    for (const QByteArray& name : names)
        network.writeBytes("vol1/ODD/" + name, name);
    ASSERT_EQ(mkdir(network.bytePath("vol1/ODD/sub\xE9").constData(), 0755),
              0); // Qt would re-encode the name
    network.writeBytes("vol1/ODD/sub\xE9/inner.doc", "x");
    writeMetadata("[deleted \"ODD/gone\\xE9.doc\"]\ndeleted = 2026-12-07 11:30:00\n");
    EXPECT_EQ(scan(u"F:\\ODD"_s, u"*.doc"_s, true), 62); // each file holds its own name
    QStringList files = column(u"Detail"_s, u"file"_s);
    files.sort();
    EXPECT_EQ(files, (QStringList{u"caf\u00E9.doc"_s, u"inner.doc"_s, u"it's \"odd\".doc"_s,
                                  u"latin\u00E9.doc"_s, u"new\nline.doc"_s, u"two  spaces .doc"_s}));
    EXPECT_TRUE(column(u"Detail"_s, u"Directory"_s).contains(u"\\\\SRV1\\VOL1:ODD\\sub\u00E9"_s));
    EXPECT_EQ(column(u"DeletedFiles"_s, u"file"_s), QStringList{u"gone\u00E9.doc"_s});
}

} // namespace
} // namespace corvane
