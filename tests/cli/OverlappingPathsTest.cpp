#include "ScanCommandFixture.h"

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

// A local folder of a volume is the volume's directory: listed beside the volume with its
// subdirectories, its files would be recorded twice by every scan.
TEST_F(ScanCommandTest, AFolderOfAListedVolumeIsRefusedByItsLocalNameAndScannedOnce)
{
    writeHomeFile(u"vol1/DOCS/A.TXT"_s, "a");
    writeHomeFile(u"vol1/DOCS/SUB/B.TXT"_s, "b");
    ASSERT_EQ(cv({u"--add-path"_s, u"\\\\SRV1\\VOL1\\"_s}).exitCode, 0);

    const Run local = cv({u"--add-path"_s, home.filePath(u"vol1/DOCS"_s)});
    EXPECT_EQ(local.exitCode, 1);
    EXPECT_EQ(local.err,
              "Directory not added. It already exists in list, as a subdirectory of \\\\SRV1\\VOL1\\.\n");
    const Run mapped = cv({u"--add-path"_s, u"F:\\docs\\sub"_s, u"--no-subdirs"_s});
    EXPECT_EQ(mapped.exitCode, 1);
    EXPECT_EQ(cv({u"--list-paths"_s}).out, "1\t\\\\SRV1\\VOL1\\\tsubdirectories\t*.*\n");

    const Run scan = cv({u"--scan"_s});
    ASSERT_EQ(scan.exitCode, 0) << scan.err.constData();
    EXPECT_EQ(scan.out, "2 files found. Total of 0.0 KB.\n");
    EXPECT_EQ(count("Detail"), 2);
}

TEST_F(ScanCommandTest, AVolumeAroundAListedFolderIsAddedWithAWarningUnlessItLeavesOutSubdirectories)
{
    ASSERT_EQ(cv({u"--add-path"_s, home.filePath(u"vol1/DOCS"_s)}).exitCode, 0);
    const Run around = cv({u"--add-path"_s, u"F:\\"_s});
    EXPECT_EQ(around.exitCode, 0);
    const QByteArray warning =
        "Directory added. It holds " + home.filePath(u"vol1/DOCS"_s).toUtf8() + ", which is in the list too";
    EXPECT_TRUE(around.out.startsWith(warning)) << around.out.constData();
    ASSERT_EQ(cv({u"--remove-path"_s, u"2"_s}).exitCode, 0);
    const Run topOnly = cv({u"--add-path"_s, u"F:\\"_s, u"--no-subdirs"_s});
    EXPECT_EQ(topOnly.exitCode, 0);
    EXPECT_EQ(topOnly.out, "Directory added.\n");
}

} // namespace
} // namespace corvane::test
