#include "EmulatedNetwork.h"

#include "core/netware/NetWareConfiguration.h"

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

NetWareConfiguration::Loaded loadText(const QTemporaryDir& folder, const QByteArray& text)
{
    QFile file(folder.path() + u"/netware.conf"_s);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    return NetWareConfiguration::load(file.fileName());
}

TEST(NetWareConfiguration, ReadsServersVolumesAndDrives)
{
    QTemporaryDir folder;
    const auto loaded = loadText(folder, "# comment\n\n; another\n"
                                         "[drives]\n"
                                         "g: = srv2\\apps\n" // drives may come first
                                         "[Server srv2]\n"
                                         "Version = 4.11\n"
                                         "volume apps = /srv/apps\n"
                                         "volume Sys = sys folder\n");
    ASSERT_TRUE(loaded.configuration) << loaded.error.toStdString();
    const NetWareServer* server = loaded.configuration->server("SRV2");
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(server->name, "SRV2");
    EXPECT_EQ(server->majorVersion, 4);
    EXPECT_EQ(server->minorVersion, 11);
    ASSERT_EQ(server->volumes.size(), 2);
    EXPECT_EQ(server->volumes[0].root, "/srv/apps");
    EXPECT_EQ(server->volume("sys")->root, QFile::encodeName(folder.path() + u"/sys folder"_s));
    const auto drive = loaded.configuration->locate("G:\\x");
    ASSERT_TRUE(drive);
    EXPECT_EQ(drive->volumeName, "APPS");
}

TEST(NetWareConfiguration, ErrorsNameFileAndLine)
{
    QTemporaryDir folder;
    const QString file = folder.path() + u"/netware.conf"_s;
    const QList<std::pair<QByteArray, QString>> cases{
        {"version = 3\n", u":1: setting outside a section"_s},
        {"[server A]\nversion = 3\n[volumes]\n", u":3: unknown section [volumes]"_s},
        {"[server A]\nversion = three\n",
         u":2: invalid version \"three\" (expected a number such as 3.12)"_s},
        {"[server A]\nversion = 3\n[server a]\n", u":3: server a is defined twice"_s},
        {"[server A]\nversion = 3\nvolume V1 = x\nvolume v1 = y\n", u":4: volume v1 is defined twice"_s},
        {"[server A]\nversion = 3\nvolume V = x\n", u":3: invalid volume name \"V\""_s},
        {"[server A]\nversion = 3\nvolume VOL1 = x\nowner = me\n", u":4: unknown server setting \"owner\""_s},
        {"[server A]\n\nvolume VOL1 = x\n", u":1: server A has no version"_s},
        {"[drives]\nF = A/VOL1\n[server A]\nversion = 3\n",
         u":2: drive F: is mapped to A/VOL1, which is not defined"_s},
        {"[drives]\nFF = A/VOL1\n", u":2: invalid drive letter \"FF\""_s},
        // Found by fuzzing: a folder that climbs above "/" brought the program down.
        {"[server A]\nversion = 3\nvolume VOL = /../x\n", u":3: volume VOL names a folder above / (/../x)"_s},
        {"[server A]\nversion = 3\nvolume VOL = ../../../../../../../../../../..\n",
         u":3: volume VOL names a folder above /"_s},
        {"[server A]\nversion = 3\nvolume VOL = /\\DOTS\n",
         u":3: volume VOL names a folder that reads as a network path (/\\DOTS)"_s},
        {QByteArray("[server A]\nversion = 3\nvolume VOL = a") + '\0' + "b\n",
         u":3: volume VOL names a folder with a zero character"_s},
    };
    for (const auto& [text, reason] : cases) {
        const auto loaded = loadText(folder, text);
        EXPECT_FALSE(loaded.configuration) << text.constData();
        EXPECT_TRUE(loaded.error.startsWith(file + reason)) << loaded.error.toStdString();
    }
}

TEST(NetWareConfiguration, MissingFileIsAnEmptyNetwork)
{
    const auto loaded = NetWareConfiguration::load(u"/nonexistent/netware.conf"_s);
    ASSERT_TRUE(loaded.configuration);
    EXPECT_TRUE(loaded.configuration->servers().isEmpty());
}

TEST(NetWareConfiguration, LocatesEveryPathForm)
{
    QTemporaryDir folder;
    QDir(folder.path()).mkpath(u"vol/inner"_s);
    const auto loaded =
        loadText(folder, "[server S]\nversion = 3\nvolume OUTER = vol\nvolume INNER = vol/inner\n"
                         "[drives]\nF = S/OUTER\n");
    ASSERT_TRUE(loaded.configuration);
    const NetWareConfiguration& network = *loaded.configuration;
    const QByteArray root = QFile::encodeName(folder.path());

    const auto unc = network.locate("//s/outer/a\\b/");
    ASSERT_TRUE(unc);
    EXPECT_EQ(unc->serverName, "S");
    EXPECT_EQ(unc->components, (QByteArrayList{"a", "b"}));
    const auto unknown = network.locate("\\\\OTHER\\VOL\\x");
    ASSERT_TRUE(unknown); // the open will fail, not the parse
    EXPECT_EQ(unknown->server, nullptr);
    EXPECT_FALSE(network.locate("\\\\S")); // no volume

    EXPECT_EQ(network.locate("f:dir/./sub")->components, (QByteArrayList{"dir", "sub"}));
    EXPECT_FALSE(network.locate("F:\\..\\x"));

    // The deepest volume holding a local path wins.
    EXPECT_EQ(network.locate(root + "/vol/inner/x")->volumeName, "INNER");
    EXPECT_EQ(network.locate(root + "/vol/x/../inner2")->components, QByteArrayList{"inner2"});
    EXPECT_FALSE(network.locate(root + "/vol/../elsewhere"));
    EXPECT_FALSE(network.locate(root + "/volume"));
}

// Found by fuzzing: a volume on "/" has no path components and was never found by a local path.
TEST(NetWareConfiguration, VolumeOnTheTopFolderHoldsEveryLocalPath)
{
    const auto loaded = NetWareConfiguration::parse("[server R]\nversion = 4\nvolume ROOT = /\n"
                                                    "volume DOTS = /a/b/../../c\n",
                                                    u"/nonexistent/netware.conf"_s);
    ASSERT_TRUE(loaded.configuration) << loaded.error.toStdString();
    const auto top = loaded.configuration->locate("/a/b");
    ASSERT_TRUE(top);
    EXPECT_EQ(top->volumeName, "ROOT");
    EXPECT_EQ(top->components, (QByteArrayList{"a", "b"}));
    EXPECT_EQ(loaded.configuration->locate("/")->components, QByteArrayList{});
    EXPECT_EQ(loaded.configuration->locate("/c/x")->volumeName, "DOTS"); // the deeper volume wins
}

// Found by fuzzing: a folder starting with ":" was taken for a Qt resource, not for a relative folder.
TEST(NetWareConfiguration, FolderStartingWithAColonIsRelativeToTheFile)
{
    const auto loaded =
        NetWareConfiguration::parse("[server A]\nversion = 3\nvolume VOL = :/data\n", u"/srv/netware.conf"_s);
    ASSERT_TRUE(loaded.configuration) << loaded.error.toStdString();
    EXPECT_EQ(loaded.configuration->server("A")->volume("VOL")->root, "/srv/:/data");
    EXPECT_EQ(loaded.configuration->locate("/srv/:/data/x")->volumeName, "VOL");
}

TEST(NetWareConfiguration, VolumeConfiguredThroughALinkIsFoundByItsRealPath)
{
    QTemporaryDir folder;
    const QByteArray root = QFile::encodeName(QFileInfo(folder.path()).canonicalFilePath());
    QDir().mkpath(QFile::decodeName(root + "/real"));
    ASSERT_EQ(symlink(QByteArray(root + "/real").constData(), QByteArray(root + "/alias").constData()), 0);
    const auto loaded = loadText(folder, "[server S]\nversion = 3\nvolume VOL = alias\n");
    ASSERT_TRUE(loaded.configuration);
    EXPECT_EQ(loaded.configuration->locate(root + "/real/x")->components, QByteArrayList{"x"});
    EXPECT_EQ(loaded.configuration->locate(root + "/alias/x")->components, QByteArrayList{"x"});
}

TEST(NetWareConfiguration, LocalPathOfANetworkPathIsSpelledAsOnDisk)
{
    test::EmulatedNetwork network;
    QDir().mkpath(network.path(u"vol1/Data/Docs"_s));
    const auto loaded = NetWareConfiguration::load(network.configurationPath());
    ASSERT_TRUE(loaded.configuration);
    EXPECT_EQ(loaded.configuration->localPath(u"F:\\DATA\\DOCS"_s), network.path(u"vol1/Data/Docs"_s));
    EXPECT_EQ(loaded.configuration->localPath(u"\\\\srv1\\vol1\\data\\new"_s),
              network.path(u"vol1/Data/new"_s));
    EXPECT_EQ(loaded.configuration->localPath(u"/home/x"_s), u"/home/x"_s);
    EXPECT_FALSE(loaded.configuration->localPath(u"\\\\NOSUCH\\VOL1"_s));
    EXPECT_FALSE(loaded.configuration->localPath(u"Q:\\"_s));
}

} // namespace
} // namespace corvane
