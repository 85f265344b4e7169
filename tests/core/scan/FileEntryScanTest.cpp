#include "ScanFixture.h"

#include "core/netware/ScanPaths.h"
#include "core/scan/FileEntryScan.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

constexpr const char* Users = "[users]\n1001 = alice\n1002 = bob\n";

class FileEntryScanTest : public test::ScanTest
{
protected:
    // REPORT.DOC in DATA of SRV1/VOL1 (drive F:), five bytes, with the given metadata lines.
    void writeReport(const QByteArray& entryLines)
    {
        network.writeFile(u"vol1/DATA/REPORT.DOC"_s, "12345");
        network.writeFile(u"vol1/.netware-meta"_s,
                          Users + QByteArray("[entry DATA/REPORT.DOC]\n") + entryLines);
    }

    // One file as the directory scan hands it on: its folder's path as listed and its name, in
    // the file system's bytes.
    void scanFile(const QString& path, qint64 size)
    {
        const QByteArray bytes = QFile::encodeName(path);
        const qsizetype nameStart = bytes.lastIndexOf(separatorOf(bytes)) + 1;
        const QByteArray folderPath = bytes.left(nameStart);
        const FolderFiles folder =
            context.networkMode ? FolderFiles(context.client, folderPath) : FolderFiles();
        HeldDirectory held(context.client);
        FileEntryScan(context, held, folder, folderPath, bytes.mid(nameStart)).appendRows(size);
    }
    void scanReport() { scanFile(u"F:\\DATA\\REPORT.DOC"_s, 5); }

    static constexpr const char* EveryEventToday = "created = 2026-12-07 09:15:00\ncreator = alice\n"
                                                   "modified = 2026-12-07 10:02:00\nmodifier = bob\n"
                                                   "accessed = 2026-12-07\n"
                                                   "archived = 2026-12-06 18:00:00\narchiver = bob\n";
};

TEST_F(FileEntryScanTest, EveryEventOfTheDayHasItsRow)
{
    writeReport(EveryEventToday);
    scanReport();

    const QString directory = u"\\\\SRV1\\VOL1:DATA"_s;
    ASSERT_EQ(rows(u"NewFiles"_s).size(), 1);
    EXPECT_EQ(rows(u"NewFiles"_s)[0], (QVariantMap{{u"Directory"_s, directory},
                                                   {u"Created"_s, u"2026-12-07 09:15:00"_s},
                                                   {u"owner"_s, u"ALICE"_s},
                                                   {u"file"_s, u"REPORT.DOC"_s},
                                                   {u"Bytes"_s, 5}}));
    ASSERT_EQ(rows(u"OpenedFiles"_s).size(), 1);
    EXPECT_EQ(rows(u"OpenedFiles"_s)[0], (QVariantMap{{u"Directory"_s, directory},
                                                      {u"Opened"_s, u"2026-12-07"_s},
                                                      {u"file"_s, u"REPORT.DOC"_s},
                                                      {u"Bytes"_s, 5}}));
    ASSERT_EQ(rows(u"EditedFiles"_s).size(), 1);
    EXPECT_EQ(rows(u"EditedFiles"_s)[0], (QVariantMap{{u"Directory"_s, directory},
                                                      {u"file"_s, u"REPORT.DOC"_s},
                                                      {u"Bytes"_s, 5},
                                                      {u"Edited"_s, u"2026-12-07 10:02:00"_s},
                                                      {u"Editor"_s, u"BOB"_s}}));
    EXPECT_TRUE(rows(u"ArchivedFiles"_s).isEmpty()); // archived yesterday
    ASSERT_EQ(rows(u"Detail"_s).size(), 1);
    EXPECT_EQ(rows(u"Detail"_s)[0], (QVariantMap{{u"Directory"_s, directory},
                                                 {u"Created"_s, u"2026-12-07 09:15:00"_s},
                                                 {u"owner"_s, u"ALICE"_s},
                                                 {u"LastAccess"_s, u"2026-12-07"_s},
                                                 {u"LastArchive"_s, u"2026-12-06 18:00:00"_s},
                                                 {u"Archivor"_s, u"BOB"_s},
                                                 {u"lastedit"_s, u"2026-12-07 10:02:00"_s},
                                                 {u"Editor"_s, u"BOB"_s},
                                                 {u"file"_s, u"REPORT.DOC"_s},
                                                 {u"SysDate"_s, u"2026-12-07"_s},
                                                 {u"Bytes"_s, 5}}));
}

TEST_F(FileEntryScanTest, ArchivedOnTheScanDateHasItsRow)
{
    writeReport("archived = 2026-12-07 18:00:00\narchiver = 1002\n");
    scanReport();
    ASSERT_EQ(rows(u"ArchivedFiles"_s).size(), 1);
    EXPECT_EQ(rows(u"ArchivedFiles"_s)[0], (QVariantMap{{u"Directory"_s, u"\\\\SRV1\\VOL1:DATA"_s},
                                                        {u"Archived"_s, u"2026-12-07 18:00:00"_s},
                                                        {u"Archivor"_s, u"BOB"_s},
                                                        {u"file"_s, u"REPORT.DOC"_s},
                                                        {u"Bytes"_s, 5}}));
}

TEST_F(FileEntryScanTest, CreatedOffMeansNoNewFilesRowEver)
{
    writeReport(EveryEventToday);
    settings.setFlag(Flag::Created, false);
    scanReport();
    EXPECT_TRUE(rows(u"NewFiles"_s).isEmpty());
    EXPECT_TRUE(rows(u"Detail"_s)[0][u"Created"_s].isNull());
    EXPECT_EQ(rows(u"Detail"_s)[0][u"owner"_s], u"ALICE"_s);
}

TEST_F(FileEntryScanTest, NewFilesWithoutDetailStillFetchesCreation)
{
    writeReport(EveryEventToday);
    turnOff(Flag::FileDetail);
    scanReport();
    EXPECT_EQ(column(u"NewFiles"_s, u"Created"_s), QStringList{u"2026-12-07 09:15:00"_s});
    EXPECT_EQ(column(u"NewFiles"_s, u"owner"_s), QStringList{u"ALICE"_s});
    EXPECT_TRUE(rows(u"Detail"_s).isEmpty());
}

TEST_F(FileEntryScanTest, SixtySecondsReadAsFiftyNineExceptForTheCreation)
{
    const auto packed = [](int secondsField) {
        return QByteArray::number(test::packedOn(ScanDay, 10, 2, secondsField), 16);
    };
    writeReport("created = 0x" + packed(30) + "\nmodified = 0x" + packed(30) + "\narchived = 0x" +
                packed(30) + "\n");
    scanReport();
    EXPECT_EQ(column(u"EditedFiles"_s, u"Edited"_s), QStringList{u"2026-12-07 10:02:59"_s});
    EXPECT_EQ(column(u"ArchivedFiles"_s, u"Archived"_s), QStringList{u"2026-12-07 10:02:59"_s});
    // The creation keeps its 60 seconds: the row is written, its date left empty.
    ASSERT_EQ(rows(u"NewFiles"_s).size(), 1);
    EXPECT_TRUE(rows(u"NewFiles"_s)[0][u"Created"_s].isNull());
    EXPECT_EQ(rows(u"NewFiles"_s)[0][u"file"_s], u"REPORT.DOC"_s);
    EXPECT_TRUE(rows(u"Detail"_s)[0][u"Created"_s].isNull());
    EXPECT_EQ(rows(u"Detail"_s)[0][u"lastedit"_s], u"2026-12-07 10:02:59"_s);
}

TEST_F(FileEntryScanTest, FileInTheVolumeRootStoresTheBareVolume)
{
    network.writeFile(u"vol1/ROOT.TXT"_s);
    scanFile(u"F:\\ROOT.TXT"_s, 4);
    scanFile(u"\\\\SRV1\\VOL1\\ROOT.TXT"_s, 4);
    EXPECT_EQ(column(u"Detail"_s, u"Directory"_s), (QStringList{u"\\\\SRV1\\VOL1"_s, u"\\\\SRV1\\VOL1"_s}));
    EXPECT_EQ(column(u"Detail"_s, u"file"_s), (QStringList{u"ROOT.TXT"_s, u"ROOT.TXT"_s}));
}

TEST_F(FileEntryScanTest, SizeOffSetsNoBytesAnywhere)
{
    writeReport(EveryEventToday);
    settings.setFlag(Flag::Size, false);
    scanReport();
    for (const QString& table : {u"NewFiles"_s, u"OpenedFiles"_s, u"EditedFiles"_s, u"Detail"_s}) {
        ASSERT_EQ(rows(table).size(), 1) << table.toStdString();
        EXPECT_TRUE(rows(table)[0][u"Bytes"_s].isNull()) << table.toStdString();
    }
}

TEST_F(FileEntryScanTest, WithoutTheNetworkOnlyAPlainDetailRowIsWritten)
{
    writeReport(EveryEventToday);
    context.networkMode = false;
    scanFile(network.path(u"vol1/DATA/REPORT.DOC"_s), 5);
    scanFile(u"/ROOT.TXT"_s, 1);
    scanFile(u"F:\\ROOT.TXT"_s, 2);
    EXPECT_EQ(column(u"Detail"_s, u"Directory"_s),
              (QStringList{network.path(u"vol1/DATA"_s), u"/"_s, u"F:\\"_s}));
    EXPECT_EQ(column(u"Detail"_s, u"file"_s), (QStringList{u"REPORT.DOC"_s, u"ROOT.TXT"_s, u"ROOT.TXT"_s}));
    const QVariantMap first = rows(u"Detail"_s)[0];
    EXPECT_EQ(first[u"SysDate"_s], u"2026-12-07"_s);
    EXPECT_EQ(first[u"Bytes"_s], 5);
    EXPECT_TRUE(first[u"Created"_s].isNull() && first[u"owner"_s].isNull() && first[u"lastedit"_s].isNull());
    for (const QString& table : {u"NewFiles"_s, u"OpenedFiles"_s, u"EditedFiles"_s, u"ArchivedFiles"_s})
        EXPECT_TRUE(rows(table).isEmpty()) << table.toStdString();
}

TEST_F(FileEntryScanTest, NoLastAccessDateMeansNoOpenedRow)
{
    writeReport("accessed = none\n");
    scanReport();
    EXPECT_TRUE(rows(u"OpenedFiles"_s).isEmpty());
    EXPECT_TRUE(rows(u"Detail"_s)[0][u"LastAccess"_s].isNull());
}

TEST_F(FileEntryScanTest, FailuresToResolveWriteNoRowAtAll)
{
    writeReport(EveryEventToday);
    for (const QString& path : {u"/nowhere/REPORT.DOC"_s, u"\\\\NOSRV\\VOL1\\DATA\\REPORT.DOC"_s,
                                u"F:\\MISSING\\REPORT.DOC"_s, u"F:\\DATA\\MISSING.DOC"_s})
        scanFile(path, 5);
    for (const QString& table : {u"NewFiles"_s, u"OpenedFiles"_s, u"EditedFiles"_s, u"Detail"_s})
        EXPECT_TRUE(rows(table).isEmpty()) << table.toStdString();
}

TEST_F(FileEntryScanTest, NamesFollowTheServersNamingService)
{
    network.writeFile(u"data4/NOTE.TXT"_s);
    network.writeFile(u"data4/.netware-meta"_s,
                      QByteArray(Users) + "[entry NOTE.TXT]\ncreator = alice\nmodifier = 99999\n");
    scanFile(network.path(u"data4/NOTE.TXT"_s), 4);
    const QVariantMap row = rows(u"Detail"_s).value(0);
    EXPECT_EQ(row[u"Directory"_s], u"\\\\SRV4\\DATA"_s);
    EXPECT_EQ(row[u"owner"_s], u"CN=alice.O=SRV4"_s);
    EXPECT_TRUE(row[u"Editor"_s].toString().isEmpty());   // a user the server no longer knows
    EXPECT_TRUE(row[u"Archivor"_s].toString().isEmpty()); // never archived: ID 0
}

} // namespace
} // namespace corvane
