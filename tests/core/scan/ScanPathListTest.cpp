#include "core/scan/ScanPathList.h"

#include "core/netware/NetWareConfiguration.h"
#include "core/settings/ScanSettings.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

// Server CORVANE with volume VOL1 in a folder of its own (holding Data/Docs), mapped to F:.
class ScanPathListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(folder.path()).mkpath(u"VOL1/Data/Docs"_s));
        NetWareConfiguration::Loaded loaded = NetWareConfiguration::parse(
            "[server CORVANE]\nversion = 4.11\nvolume VOL1 = VOL1\n[drives]\nF = CORVANE/VOL1\n",
            folder.filePath(u"netware.conf"_s));
        ASSERT_TRUE(loaded.configuration) << loaded.error.toStdString();
        network = *loaded.configuration;
    }

    AddPathOutcome add(const QString& path, bool includeSubdirectories = true)
    {
        return AddScanPath(settings, path, network, includeSubdirectories);
    }
    QString local(const QString& relative) const { return folder.filePath(relative); }

    QTemporaryDir folder;
    NetWareConfiguration network;
    ScanSettings settings;
};

TEST_F(ScanPathListTest, OneDirectoryByAnyOfItsNamesIsListedOnce)
{
    ASSERT_EQ(add(u"\\\\CORVANE\\VOL1\\DATA"_s).result, AddPathResult::Added);
    for (const QString& same : {local(u"VOL1/Data"_s), local(u"VOL1/Data/"_s), u"F:\\data"_s, u"f:/Data/"_s,
                                u"\\\\corvane\\vol1:\\data\\"_s, u"//CORVANE/VOL1/Data/Docs/.."_s}) {
        const AddPathOutcome outcome = add(same, false);
        EXPECT_EQ(outcome.result, AddPathResult::AlreadyInList) << same.toStdString();
        EXPECT_EQ(outcome.otherEntry, u"\\\\CORVANE\\VOL1\\DATA"_s);
    }
    EXPECT_EQ(settings.Paths.size(), 1);
    EXPECT_EQ(addPathMessage({AddPathResult::AlreadyInList, {}}),
              u"Directory not added. It already exists in list."_s);
}

TEST_F(ScanPathListTest, AFolderBelowAnEntryWithItsSubdirectoriesIsRefusedByName)
{
    ASSERT_EQ(add(u"\\\\CORVANE\\VOL1\\"_s).result, AddPathResult::Added);
    settings.PathsChanged = false;
    for (const QString& inside : {local(u"VOL1/Data"_s), u"F:\\DATA\\DOCS"_s}) {
        const AddPathOutcome outcome = add(inside);
        EXPECT_EQ(outcome.result, AddPathResult::InsideListedEntry) << inside.toStdString();
        EXPECT_EQ(
            addPathMessage(outcome),
            u"Directory not added. It already exists in list, as a subdirectory of \\\\CORVANE\\VOL1\\."_s);
    }
    EXPECT_EQ(settings.Paths.size(), 1);
    EXPECT_FALSE(settings.PathsChanged);

    // Without its subdirectories the volume's top folder is all the entry scans.
    settings.Paths.first().includeSubdirectories = false;
    EXPECT_EQ(add(local(u"VOL1/Data"_s)).result, AddPathResult::Added);
}

TEST_F(ScanPathListTest, AnEntryAroundAListedOneIsAddedWithAWarningOnlyWhenItTakesSubdirectories)
{
    ASSERT_EQ(add(u"F:\\DATA\\DOCS"_s).result, AddPathResult::Added);
    const AddPathOutcome around = add(local(u"VOL1"_s));
    EXPECT_EQ(around.result, AddPathResult::Added);
    EXPECT_EQ(around.otherEntry, u"F:\\DATA\\DOCS"_s);
    EXPECT_TRUE(addPathMessage(around).startsWith(
        u"Directory added. It holds F:\\DATA\\DOCS, which is in the list too"_s))
        << addPathMessage(around).toStdString();

    ASSERT_TRUE(DeleteScanPath(settings, 1));
    const AddPathOutcome topOnly = add(u"\\\\CORVANE\\VOL1\\DATA"_s, false);
    EXPECT_EQ(topOnly.result, AddPathResult::Added);
    EXPECT_EQ(addPathMessage(topOnly), u"Directory added."_s);
    EXPECT_EQ(settings.Paths.size(), 2);
    EXPECT_FALSE(settings.Paths.last().includeSubdirectories);
    EXPECT_EQ(settings.PathSpecs, (QStringList{u"*.*"_s, u"*.*"_s}));
}

TEST_F(ScanPathListTest, PathsOutsideTheNetworkAreComparedByTheirText)
{
    ASSERT_EQ(add(u"\\\\OTHER\\SYS\\PUBLIC"_s).result, AddPathResult::Added);
    EXPECT_EQ(add(u"\\\\other\\sys\\public\\"_s).result, AddPathResult::AlreadyInList);
    EXPECT_EQ(add(u"\\\\OTHER\\SYS\\PUBLIC\\APPS"_s).result, AddPathResult::InsideListedEntry);
    EXPECT_EQ(add(u"\\\\OTHER\\SYS\\PUBLICATIONS"_s).result, AddPathResult::Added);
    EXPECT_EQ(add(u"Q:\\A"_s).result, AddPathResult::Added); // an unmapped letter
    EXPECT_EQ(add(u"q:\\a"_s).result, AddPathResult::AlreadyInList);
}

} // namespace
} // namespace corvane
