#include "core/scan/PathListEditor.h"

#include "core/netware/NetWareConfiguration.h"
#include "mock/FakeUserInterface.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

class PathListEditorTest : public ::testing::Test
{
protected:
    // Entries A to D with the specs a to d, as if loaded at start-up.
    void listFour()
    {
        for (const QString& name : {u"A"_s, u"B"_s, u"C"_s, u"D"_s}) {
            ASSERT_TRUE(editor.Add(u"\\\\SRV1\\VOL1\\" + name));
            editor.setCurrentSpecs(name.toLower());
        }
        settings.PathsChanged = false;
    }

    ScanSettings settings;
    test::FakeUserInterface ui;
    NetWareConfiguration network;
    PathListEditor editor{settings, ui, network};
};

TEST_F(PathListEditorTest, AFolderListedInOtherLettersIsRefusedWithABeepAndTheCurrentEntryStays)
{
    listFour();
    editor.setCurrent(2);
    EXPECT_FALSE(editor.Add(u"\\\\srv1\\vol1\\b"_s));
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(ui.status, u"Directory not added. It already exists in list."_s);
    EXPECT_EQ(editor.count(), 4);
    EXPECT_EQ(editor.current(), 2);
    EXPECT_FALSE(settings.PathsChanged);
}

TEST_F(PathListEditorTest, AFolderAlreadyScannedAsASubdirectoryIsRefusedWithABeep)
{
    listFour();
    editor.setCurrent(1);
    EXPECT_FALSE(editor.Add(u"\\\\SRV1\\VOL1\\C\\REPORTS"_s));
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(ui.status,
              u"Directory not added. It already exists in list, as a subdirectory of \\\\SRV1\\VOL1\\C."_s);
    EXPECT_EQ(editor.count(), 4);
    EXPECT_EQ(editor.current(), 1);

    // A folder around a listed one is added; the status says what the two entries share.
    EXPECT_TRUE(editor.Add(u"\\\\SRV1\\VOL1"_s));
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_TRUE(ui.status.startsWith(u"Directory added. It holds \\\\SRV1\\VOL1\\A, "_s));
    EXPECT_EQ(editor.current(), 4);
}

TEST_F(PathListEditorTest, NoToADeleteQuestionChangesNothing)
{
    listFour();
    EXPECT_FALSE(editor.Delete(2)); // No is the default answer
    EXPECT_FALSE(editor.DeleteAll());
    EXPECT_EQ(editor.count(), 4);
    EXPECT_FALSE(settings.PathsChanged);
    EXPECT_EQ(ui.questions.last(), u"Are you sure you want to delete all the directories from the list?"_s);
}

TEST_F(PathListEditorTest, TheSpecBoxEditsTheFirstEntryUntilAnotherIsMadeCurrent)
{
    settings.Paths = {ScanPath{u"F:\\DATA"_s, false}, ScanPath{u"G:\\"_s, true}};
    settings.PathSpecs = {u"*.*"_s}; // the second entry's specs were never stored
    editor.setCurrentSpecs(u"*.xls"_s);
    EXPECT_EQ(settings.PathSpecs, (QStringList{u"*.xls"_s}));
    editor.setCurrent(1);
    editor.setCurrentSpecs(u"*.doc"_s);
    EXPECT_EQ(settings.PathSpecs, (QStringList{u"*.xls"_s, u"*.doc"_s}));
    editor.setIncludeSubdirectories(0, true);
    EXPECT_TRUE(settings.Paths.at(0).includeSubdirectories);
}

} // namespace
