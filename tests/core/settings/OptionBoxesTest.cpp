#include "core/settings/OptionBoxes.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

using namespace corvane;
using B = OptionBox;

namespace {

class OptionBoxesTest : public ::testing::Test
{
protected:
    bool checked(B box) const { return boxes.isChecked(box); }

    ScanSettings settings;
    QList<bool> autoRunCalls;
    OptionBoxes boxes{settings, [this](bool on) { autoRunCalls.append(on); }};
};

const B fileTables[] = {B::cbFileDetail,  B::cbDeletedFiles, B::cbNewFiles,
                        B::cbEditedFiles, B::cbOpenedFiles,  B::cbArchivedFiles};

TEST_F(OptionBoxesTest, DeletedDirectoriesPullsInDirectoryActivityAndTheSixFileTables)
{
    boxes.setChecked(B::cbDeletedDirs, true);
    EXPECT_TRUE(checked(B::cbDirActivity));
    for (const B box : fileTables)
        EXPECT_TRUE(checked(box));
    EXPECT_FALSE(checked(B::cbNewDirs));
    EXPECT_TRUE(settings.flag(Flag::FileDetail));
    EXPECT_TRUE(settings.flag(Flag::DirActivity));
    EXPECT_FALSE(settings.flag(Flag::NewDirs));
}

TEST_F(OptionBoxesTest, UncheckingChangesNoOtherBox)
{
    boxes.setChecked(B::cbNewDirs, true);
    boxes.setChecked(B::cbDirActivity, false);
    for (const B box : fileTables)
        EXPECT_TRUE(checked(box));
    boxes.setChecked(B::cbFileDetail, false);
    EXPECT_FALSE(checked(B::cbDirActivity));
    EXPECT_TRUE(checked(B::cbNewDirs));
    EXPECT_FALSE(settings.flag(Flag::FileDetail));
}

TEST_F(OptionBoxesTest, TablesNoneLeavesEveryTableFlagZero)
{
    boxes.selectAllTables();
    boxes.selectNoTables();
    for (const Flag f : {Flag::FileDetail, Flag::DeletedFiles, Flag::NewFiles, Flag::EditedFiles, Flag::OpenedFiles,
                         Flag::DeletedDirs, Flag::NewDirs, Flag::DirActivity, Flag::ArchivedFiles})
        EXPECT_FALSE(settings.flag(f));
}

TEST_F(OptionBoxesTest, InformationAllAndNoneLeaveHiddenAndSystemAlone)
{
    boxes.setChecked(B::cbHidden, true);
    boxes.selectAllInformation();
    for (const Flag f : {Flag::Created, Flag::Owner, Flag::LastAccess, Flag::LastArchive, Flag::LastArchiveBy,
                         Flag::LastModify, Flag::LastModifyBy, Flag::Deleted, Flag::Deletor, Flag::Size})
        EXPECT_TRUE(settings.flag(f));
    boxes.selectNoInformation();
    EXPECT_FALSE(settings.flag(Flag::Created));
    EXPECT_FALSE(settings.flag(Flag::Size));
    EXPECT_TRUE(settings.flag(Flag::Hidden));
    EXPECT_FALSE(settings.flag(Flag::System));
}

TEST_F(OptionBoxesTest, CheckingACheckedBoxRunsNothing)
{
    boxes.setChecked(B::cbAutoRun, true);
    QSignalSpy spy(&boxes, &OptionBoxes::checkedChanged);
    boxes.setChecked(B::cbAutoRun, true);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(autoRunCalls, QList<bool>{true});
}

TEST_F(OptionBoxesTest, StoredNewDirsWithoutFileDetailLoadsFileDetailChecked)
{
    settings.setFlag(Flag::NewDirs, true);
    settings.setFlag(Flag::FileDetail, false);
    settings.setFlag(Flag::DirActivity, false);
    boxes.applyStoredFlags();
    EXPECT_TRUE(checked(B::cbFileDetail));
    EXPECT_TRUE(checked(B::cbDirActivity));
    EXPECT_TRUE(settings.flag(Flag::FileDetail));
    EXPECT_TRUE(settings.flag(Flag::DirActivity));
}

TEST_F(OptionBoxesTest, KeepRunningAndAutoExitAreNeverBothChecked)
{
    boxes.setChecked(B::cbAutoScan, true);
    boxes.setChecked(B::cbKeepRunning, true);
    boxes.setChecked(B::cbExit, true);
    EXPECT_FALSE(checked(B::cbKeepRunning));
    EXPECT_TRUE(settings.flag(Flag::ExitAfterScan));
    boxes.setChecked(B::cbKeepRunning, true);
    EXPECT_FALSE(checked(B::cbExit));
    EXPECT_FALSE(settings.flag(Flag::ExitAfterScan));
}

TEST_F(OptionBoxesTest, AutoStartShowsKeepRunningAndHidingKeepsItsState)
{
    EXPECT_FALSE(boxes.keepRunningVisible());
    boxes.setChecked(B::cbAutoScan, true);
    EXPECT_TRUE(boxes.keepRunningVisible());
    boxes.setChecked(B::cbKeepRunning, true);
    EXPECT_TRUE(boxes.keepRunningInForce());
    boxes.setChecked(B::cbAutoScan, false);
    EXPECT_FALSE(boxes.keepRunningVisible());
    EXPECT_TRUE(checked(B::cbKeepRunning));
    EXPECT_FALSE(boxes.keepRunningInForce());
    boxes.setChecked(B::cbAutoScan, true);
    EXPECT_TRUE(boxes.keepRunningInForce());
}

TEST_F(OptionBoxesTest, AutoRunWritesAndRemovesTheEntryOnEveryChange)
{
    settings.setFlag(Flag::AutoRun, true);
    boxes.applyStoredFlags();
    boxes.setChecked(B::cbAutoRun, false);
    EXPECT_EQ(autoRunCalls, (QList<bool>{true, false}));
    EXPECT_FALSE(settings.flag(Flag::AutoRun));
}

} // namespace
