#include "EmulatedNetwork.h"

#include "core/netware/PathResolution.h"

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

TEST(NetWarePathText, FilePathSplitsIntoServerDirectoryAndFile)
{
    const FilePathParts parts = splitFilePath(u"SRV1\\VOL1:DATA\\DOCS\\REPORT.DOC"_s);
    EXPECT_EQ(parts.server, u"SRV1"_s);
    EXPECT_EQ(parts.directory, u"VOL1:DATA\\DOCS"_s);
    EXPECT_EQ(parts.file, u"REPORT.DOC"_s);
    EXPECT_EQ(storedDirectoryText(parts.server, parts.directory), u"\\\\SRV1\\VOL1:DATA\\DOCS"_s);
}

TEST(NetWarePathText, FileInVolumeRootTakesTheBareVolumeAsDirectory)
{
    const FilePathParts parts = splitFilePath(u"SRV1\\VOL1:REPORT.DOC"_s);
    EXPECT_EQ(parts.directory, u"VOL1"_s);
    EXPECT_EQ(parts.file, u"REPORT.DOC"_s);
    EXPECT_EQ(storedDirectoryText(parts.server, parts.directory), u"\\\\SRV1\\VOL1"_s);
    // A Linux name may hold ":"; the volume's own ":" is the first one.
    EXPECT_EQ(splitFilePath(u"SRV1\\VOL1:10:30 notes.txt"_s).file, u"10:30 notes.txt"_s);
}

TEST(NetWarePathText, DirectoryPathKeepsEverythingAfterTheServer)
{
    const DirectoryPathParts data = splitDirectoryPath(u"SRV1\\VOL1:DATA"_s);
    EXPECT_EQ(data.server, u"SRV1"_s);
    EXPECT_EQ(data.directory, u"VOL1:DATA"_s);
    const DirectoryPathParts root = splitDirectoryPath(u"SRV1\\VOL1:"_s);
    EXPECT_EQ(root.directory, u"VOL1:"_s);
    EXPECT_EQ(storedDirectoryText(root.server, root.directory), u"\\\\SRV1\\VOL1:"_s);
}

class PathResolution : public ::testing::Test
{
protected:
    // Resolves a file the way the per-file scan does and returns its short name, or "" on failure.
    QString shortNameOfFile(const QString& path)
    {
        const std::optional<ParsedPath> parsed = parsePath(network.client(), path);
        if (!parsed)
            return {};
        const FilePathParts parts = splitFilePath(netWarePathText(*parsed));
        const auto directory = ServerDirectory::open(network.client(), parts.server, parts.directory);
        if (!directory)
            return {};
        ShortNameBuffer name{};
        network.client().NWGetLongName(directory->connection(), directory->handle(), clientText(parts.file),
                                       NWConstant::NameSpaceLong, NWConstant::NameSpaceDos, name);
        return textFromClient(name);
    }

    test::EmulatedNetwork network;
};

TEST_F(PathResolution, MappedDriveFileResolvesToItsServerVolumeAndDirectory)
{
    network.writeFile(u"vol1/DATA/DOCS/REPORT.DOC"_s);
    const std::optional<ParsedPath> parsed = parsePath(network.client(), u"F:\\DATA\\DOCS\\REPORT.DOC"_s);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(netWarePathText(*parsed), u"SRV1\\VOL1:DATA\\DOCS\\REPORT.DOC"_s);
    EXPECT_EQ(shortNameOfFile(u"F:\\DATA\\DOCS\\REPORT.DOC"_s), u"REPORT.DOC"_s);
}

TEST_F(PathResolution, EveryPathFormReachesTheSameFileSpelledAsOnDisk)
{
    network.writeFile(u"vol1/Data/Docs/Report.doc"_s);
    const QString expected = u"SRV1\\VOL1:Data\\Docs\\Report.doc"_s;
    for (const QString& path :
         {u"F:\\DATA\\DOCS\\REPORT.DOC"_s, u"f:/data/docs/report.doc"_s,
          u"\\\\SRV1\\VOL1\\Data\\Docs\\Report.doc"_s, u"//srv1/vol1/data/docs/REPORT.DOC"_s,
          network.path(u"vol1/Data/Docs/Report.doc"_s)}) {
        const std::optional<ParsedPath> parsed = parsePath(network.client(), path);
        ASSERT_TRUE(parsed) << path.toStdString();
        EXPECT_EQ(netWarePathText(*parsed), expected) << path.toStdString();
        EXPECT_EQ(shortNameOfFile(path), u"REPORT.DOC"_s) << path.toStdString();
    }
}

TEST_F(PathResolution, VolumeRootHasFileAndDirectoryForms)
{
    network.writeFile(u"vol1/ROOT.TXT"_s);
    const std::optional<ParsedPath> file = parsePath(network.client(), u"F:\\ROOT.TXT"_s);
    ASSERT_TRUE(file);
    const FilePathParts fileParts = splitFilePath(netWarePathText(*file));
    EXPECT_EQ(storedDirectoryText(fileParts.server, fileParts.directory), u"\\\\SRV1\\VOL1"_s);
    EXPECT_EQ(shortNameOfFile(u"F:\\ROOT.TXT"_s), u"ROOT.TXT"_s);

    const std::optional<ParsedPath> root = parsePath(network.client(), u"F:\\"_s);
    ASSERT_TRUE(root);
    EXPECT_TRUE(root->directory.isEmpty());
    const DirectoryPathParts rootParts = splitDirectoryPath(netWarePathText(*root));
    EXPECT_EQ(storedDirectoryText(rootParts.server, rootParts.directory), u"\\\\SRV1\\VOL1:"_s);
    EXPECT_TRUE(ServerDirectory::open(network.client(), rootParts.server, rootParts.directory));
}

TEST_F(PathResolution, DirectoryPathResolvesForTheDeletedFileScan)
{
    QDir().mkpath(network.path(u"vol1/DATA"_s));
    const std::optional<ParsedPath> parsed = parsePath(network.client(), u"F:\\DATA"_s);
    ASSERT_TRUE(parsed);
    const DirectoryPathParts parts = splitDirectoryPath(netWarePathText(*parsed));
    EXPECT_EQ(parts.directory, u"VOL1:DATA"_s);
    EXPECT_EQ(storedDirectoryText(parts.server, parts.directory), u"\\\\SRV1\\VOL1:DATA"_s);
    EXPECT_TRUE(ServerDirectory::open(network.client(), parts.server, parts.directory));
}

TEST_F(PathResolution, MajorVersionChoosesTheNamingService)
{
    const auto bindery = ServerDirectory::open(network.client(), u"SRV1"_s, u"VOL1:"_s);
    const auto directoryService = ServerDirectory::open(network.client(), u"srv4"_s, u"DATA"_s);
    ASSERT_TRUE(bindery && directoryService);
    EXPECT_EQ(bindery->majorVersion(), 3);
    EXPECT_FALSE(usesDirectoryService(bindery->majorVersion()));
    EXPECT_EQ(directoryService->majorVersion(), 4);
    EXPECT_TRUE(usesDirectoryService(directoryService->majorVersion()));
    EXPECT_TRUE(usesDirectoryService(5));

    VersionRecord version{};
    EXPECT_NE(network.client().NWGetFileServerVersionInfo(9999, version), NWResult::Success);
    EXPECT_EQ(version[VersionField::MajorVersion], 0); // a failed query means the bindery
    EXPECT_FALSE(usesDirectoryService(version[VersionField::MajorVersion]));
}

TEST_F(PathResolution, ServerDirectoryReleasesItsHandleAndConnection)
{
    quint32 connection = 0;
    quint8 handle = 0;
    {
        const auto directory = ServerDirectory::open(network.client(), u"SRV1"_s, u"VOL1:"_s);
        ASSERT_TRUE(directory);
        connection = directory->connection();
        handle = directory->handle();
    }
    EXPECT_EQ(network.client().NWDeallocateDirectoryHandle(connection, handle), NWResult::InvalidConnection);
    EXPECT_EQ(network.client().NWCCCloseConn(connection), NWResult::InvalidConnection);
}

TEST_F(PathResolution, FailuresYieldNoResolution)
{
    EXPECT_FALSE(parsePath(network.client(), u"/usr/share/doc/readme"_s)); // outside every volume
    EXPECT_FALSE(parsePath(network.client(), u"G:\\DATA"_s));              // an unmapped letter
    EXPECT_FALSE(parsePath(network.client(), u"F:\\..\\etc"_s));           // out of the volume
    EXPECT_FALSE(parsePath(network.client(), u"relative/path"_s));
    EXPECT_FALSE(ServerDirectory::open(network.client(), u"NOSUCH"_s, u"VOL1:"_s));
    EXPECT_FALSE(ServerDirectory::open(network.client(), u"SRV1"_s, u"VOL1:MISSING"_s));
    EXPECT_FALSE(ServerDirectory::open(network.client(), u"SRV1"_s, u"VOL9:"_s));
}

} // namespace
} // namespace corvane
