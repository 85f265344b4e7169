#include "EmulatedNetwork.h"

#include "core/netware/PathResolution.h"
#include "core/netware/ScanPaths.h"

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

class PathResolution : public ::testing::Test
{
protected:
    // A file located as the scan locates it: its folder's path (ending in its separator, as
    // listed) parsed once, and the name as the listing spells it.
    std::optional<ScannedFileLocation> file(const QByteArray& path)
    {
        const qsizetype nameStart = path.lastIndexOf(separatorOf(path)) + 1;
        return FolderFiles(network.client(), path.left(nameStart)).locate(path.mid(nameStart));
    }
    std::optional<ScannedDirectoryLocation> directory(const QByteArray& path)
    {
        return locateScannedDirectory(network.client(), path);
    }
    // The short name in the entry the server finds for a located file, or "" when none is found.
    QByteArray entryNameOf(const ScannedFileLocation& location)
    {
        const auto folder = ClientDirectory::open(network.client(), location.server, location.directory);
        const std::optional<EntryRecord> entry = folder ? folder->entryOf(location.file) : std::nullopt;
        if (!entry)
            return {};
        return QByteArray(reinterpret_cast<const char*>(entry->data() + EntryField::Name),
                          (*entry)[EntryField::NameLength]);
    }

    test::EmulatedNetwork network;
};

TEST_F(PathResolution, FileSplitsIntoServerDirectoryAndName)
{
    network.writeFile(u"vol1/DATA/DOCS/REPORT.DOC"_s);
    const std::optional<ScannedFileLocation> report = file("F:\\DATA\\DOCS\\REPORT.DOC");
    ASSERT_TRUE(report);
    EXPECT_EQ(report->server, "SRV1");
    EXPECT_EQ(report->directory, "VOL1:DATA\\DOCS");
    EXPECT_EQ(report->file, "REPORT.DOC");
    EXPECT_EQ(report->storedDirectory, u"\\\\SRV1\\VOL1:DATA\\DOCS"_s);
    EXPECT_EQ(entryNameOf(*report), "REPORT.DOC");
}

TEST_F(PathResolution, FileInVolumeRootTakesTheBareVolumeAsDirectory)
{
    network.writeFile(u"vol1/ROOT.TXT"_s);
    network.writeFile(u"vol1/10:30 notes.txt"_s);
    const std::optional<ScannedFileLocation> root = file("F:\\ROOT.TXT");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->directory, "VOL1");
    EXPECT_EQ(root->storedDirectory, u"\\\\SRV1\\VOL1"_s);
    EXPECT_EQ(entryNameOf(*root), "ROOT.TXT");
    // A Linux name may hold ":"; only the volume's own ":" ends the volume.
    const std::optional<ScannedFileLocation> notes = file("F:\\10:30 notes.txt");
    ASSERT_TRUE(notes);
    EXPECT_EQ(notes->directory, "VOL1");
    EXPECT_EQ(notes->file, "10:30 notes.txt");
    EXPECT_FALSE(entryNameOf(*notes).isEmpty());
}

TEST_F(PathResolution, EveryPathFormReachesTheSameFolderSpelledAsOnDisk)
{
    network.writeFile(u"vol1/Data/Docs/Report.doc"_s);
    for (const QByteArray& path :
         {QByteArray("F:\\DATA\\DOCS\\Report.doc"), QByteArray("f:/data/docs/Report.doc"),
          QByteArray("\\\\SRV1\\VOL1\\Data\\Docs\\Report.doc"), QByteArray("//srv1/vol1/data/docs/Report.doc"),
          network.bytePath("vol1/Data/Docs/Report.doc")}) {
        const std::optional<ScannedFileLocation> report = file(path);
        ASSERT_TRUE(report) << path.constData();
        EXPECT_EQ(report->directory, "VOL1:Data\\Docs") << path.constData();
        EXPECT_EQ(report->file, "Report.doc") << path.constData();
        EXPECT_EQ(entryNameOf(*report), "REPORT.DOC") << path.constData();
    }
}

TEST_F(PathResolution, NamesThatAreNotUtf8KeepTheirBytes)
{
    ASSERT_EQ(::mkdir(network.bytePath("vol1/Caf\xE9").constData(), 0755), 0);
    network.writeBytes("vol1/Caf\xE9/men\xFC.txt");
    const std::optional<ScannedFileLocation> menu = file(network.bytePath("vol1/Caf\xE9/men\xFC.txt"));
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->directory, "VOL1:Caf\xE9");
    EXPECT_EQ(menu->file, "men\xFC.txt");
    EXPECT_EQ(menu->storedDirectory, u"\\\\SRV1\\VOL1:Caf\u00E9"_s); // one character per byte
    EXPECT_FALSE(entryNameOf(*menu).isEmpty());
}

TEST_F(PathResolution, DirectoryKeepsEverythingAfterTheServer)
{
    QDir().mkpath(network.path(u"vol1/DATA"_s));
    const std::optional<ScannedDirectoryLocation> data = directory("F:\\DATA");
    ASSERT_TRUE(data);
    EXPECT_EQ(data->server, "SRV1");
    EXPECT_EQ(data->directory, "VOL1:DATA");
    EXPECT_EQ(data->storedDirectory, u"\\\\SRV1\\VOL1:DATA"_s);
    EXPECT_TRUE(ClientDirectory::open(network.client(), data->server, data->directory));

    const std::optional<ScannedDirectoryLocation> root = directory("F:\\");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->directory, "VOL1:");
    EXPECT_EQ(root->storedDirectory, u"\\\\SRV1\\VOL1:"_s);
    EXPECT_TRUE(ClientDirectory::open(network.client(), root->server, root->directory));
}

TEST_F(PathResolution, MajorVersionChoosesTheNamingService)
{
    const auto bindery = ClientDirectory::open(network.client(), "SRV1", "VOL1:");
    const auto directoryService = ClientDirectory::open(network.client(), "srv4", "DATA");
    ASSERT_TRUE(bindery && directoryService);
    EXPECT_FALSE(bindery->usesDirectoryService());
    EXPECT_TRUE(directoryService->usesDirectoryService());

    VersionRecord version{};
    EXPECT_NE(network.client().NWGetFileServerVersionInfo(9999, version), NWResult::Success);
    EXPECT_EQ(version[VersionField::MajorVersion], 0); // a failed query reads as the bindery
}

TEST_F(PathResolution, ClientDirectoryReleasesItsHandleAndConnection)
{
    quint32 connection = 0;
    quint8 handle = 0;
    {
        const auto directory = ClientDirectory::open(network.client(), "SRV1", "VOL1:");
        ASSERT_TRUE(directory);
        connection = directory->connection();
        handle = directory->handle();
    }
    EXPECT_EQ(network.client().NWDeallocateDirectoryHandle(connection, handle), NWResult::InvalidConnection);
    EXPECT_EQ(network.client().NWCCCloseConn(connection), NWResult::InvalidConnection);
}

TEST_F(PathResolution, HeldDirectoryIsKeptForTheFilesOfOneDirectory)
{
    network.writeFile(u"vol1/DATA/A.TXT"_s);
    network.writeFile(u"vol1/DATA/B.TXT"_s);
    network.writeFile(u"vol1/ROOT.TXT"_s);
    HeldDirectory held(network.client());
    const ClientDirectory* first = held.of(*file("F:\\DATA\\A.TXT"));
    ASSERT_TRUE(first);
    const quint32 connection = first->connection();
    EXPECT_EQ(held.of(*file("F:\\DATA\\B.TXT")), first);
    // Another directory releases the one held.
    ASSERT_TRUE(held.of(*file("F:\\ROOT.TXT")));
    EXPECT_EQ(network.client().NWCCCloseConn(connection), NWResult::InvalidConnection);
    // A directory that cannot be opened holds nothing.
    const std::optional<ScannedFileLocation> missing = file("F:\\MISSING\\C.TXT");
    ASSERT_TRUE(missing);
    EXPECT_FALSE(held.of(*missing));
    EXPECT_TRUE(held.of(*file("F:\\DATA\\A.TXT")));
}

TEST_F(PathResolution, FailuresYieldNoResolution)
{
    for (const QByteArray& path : {QByteArray("/usr/share/doc/readme"), // outside every volume
                                   QByteArray("G:\\DATA"),              // an unmapped letter
                                   QByteArray("F:\\..\\etc"),           // out of the volume
                                   QByteArray("relative/path")}) {
        EXPECT_FALSE(file(path)) << path.constData();
        EXPECT_FALSE(directory(path)) << path.constData();
    }
    // A "\" in a Linux name cannot be told from a separator.
    network.writeBytes("vol1/back\\slash.txt");
    EXPECT_FALSE(file(network.bytePath("vol1/back\\slash.txt")));
    // The path within the volume must fit the client's buffer, the file's name included.
    const QByteArray folder(200, 'd');
    ASSERT_EQ(::mkdir(network.bytePath("vol1/" + folder).constData(), 0755), 0);
    EXPECT_TRUE(file("F:\\" + folder + '\\' + QByteArray(54 - 1, 'n')));
    EXPECT_FALSE(file("F:\\" + folder + '\\' + QByteArray(54, 'n')));
    EXPECT_FALSE(ClientDirectory::open(network.client(), "NOSUCH", "VOL1:"));
    EXPECT_FALSE(ClientDirectory::open(network.client(), "SRV1", "VOL1:MISSING"));
    EXPECT_FALSE(ClientDirectory::open(network.client(), "SRV1", "VOL9:"));
}

} // namespace
} // namespace corvane
