#include "MainWindowFixture.h"

#include "core/common/LocalScanner.h"
#include "core/netware/DriveType.h"
#include "core/netware/NetWareConfiguration.h"

#include <QApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionViewItem>

using namespace corvane;
using namespace Qt::StringLiterals;
using Answer = UserInterfacePort::Answer;
using corvane::test::MainWindowTest;

namespace {

class PathListTest : public MainWindowTest
{
protected:
    QListWidget* paths() const { return control<QListWidget>("List2"); }
    QPlainTextEdit* specs() const { return control<QPlainTextEdit>("Text3"); }
    QString status() const { return control<QPlainTextEdit>("Text2")->toPlainText(); }
    QStringList shownPaths() const
    {
        QStringList texts;
        for (int i = 0; i < paths()->count(); ++i)
            texts.append(paths()->item(i)->text());
        return texts;
    }
    void clickEntry(int row) const
    {
        QTest::mouseClick(paths()->viewport(), Qt::LeftButton, {},
                          paths()->visualItemRect(paths()->item(row)).center());
    }
    // Clicks the entry's check indicator, where the style draws it, not the item's centre.
    void clickCheckBox(int row) const
    {
        QStyleOptionViewItem option;
        option.initFrom(paths());
        option.rect = paths()->visualItemRect(paths()->item(row));
        option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        const QRect indicator =
            paths()->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, paths());
        QTest::mouseClick(paths()->viewport(), Qt::LeftButton, {}, indicator.center());
    }
    void storePaths(const QStringList& dirs, const QStringList& specTexts)
    {
        for (int i = 0; i < dirs.size(); ++i) {
            store.save(u"Options"_s, u"Dir_"_s + QString::number(i), dirs.at(i));
            store.save(u"Options"_s, u"Spec_"_s + QString::number(i), specTexts.at(i));
        }
    }
};

TEST_F(PathListTest, AddOffersTheNetworkFolderPickerAndRefusesAFolderListedInOtherLetters)
{
    open();
    chooser->answers = {u"\\\\CORVANE\\VOL1\\Docs"_s, u"\\\\corvane\\vol1\\DOCS"_s};
    QTest::keyClick(window.get(), Qt::Key_A, Qt::AltModifier); // "&Add", which animates its click
    ASSERT_TRUE(QTest::qWaitFor([this] { return paths()->count() > 0; }, 2000));
    EXPECT_EQ(chooser->titles.value(0), u"Select a network directory to scan"_s);
    EXPECT_EQ(chooser->startFolders.value(0), home.path() + u'/');
    ASSERT_EQ(paths()->count(), 1);
    EXPECT_EQ(paths()->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(specs()->toPlainText(), u"*.*"_s);
    EXPECT_EQ(status(), u"Directory added."_s);
    for (const char* shown : {"Command1", "Command4", "Command5"})
        EXPECT_TRUE(control(shown)->isVisible()) << shown;

    click("Command3");
    EXPECT_EQ(paths()->count(), 1);
    EXPECT_EQ(status(), u"Directory not added. It already exists in list."_s);

    click("Command3"); // cancelled: nothing changes, nothing is said
    EXPECT_EQ(chooser->titles.size(), 3);
    EXPECT_EQ(paths()->count(), 1);
    EXPECT_EQ(status(), u"Directory not added. It already exists in list."_s);
}

TEST_F(PathListTest, AFolderOnALocalDiskIsNotAdded)
{
    open();
    const QString local = QApplication::applicationDirPath();
    if (GetDriveTypeA(local, NetWareConfiguration()) != DriveType::Fixed)
        GTEST_SKIP() << "the test binary does not lie on a fixed disk here";
    chooser->answers = {local};
    click("Command3");
    EXPECT_EQ(paths()->count(), 0);
    EXPECT_TRUE(status().startsWith(u"Directory not added. You can only add network directories."_s));
    EXPECT_TRUE(status().contains(localScannerName())) << "the refusal recommends the local scanner";
    EXPECT_TRUE(control("Command1")->isHidden());
}

TEST_F(PathListTest, ANewEntryGetsAllFilesAndTheCurrentOneKeepsItsSpecs)
{
    open();
    chooser->answers = {u"\\\\CORVANE\\VOL1\\A"_s, u"\\\\CORVANE\\VOL1\\B"_s};
    click("Command3");
    specs()->setPlainText(u"*.doc"_s);
    click("Command3");
    EXPECT_EQ(paths()->currentRow(), 1);
    EXPECT_EQ(specs()->toPlainText(), u"*.*"_s);
    clickEntry(0);
    EXPECT_EQ(specs()->toPlainText(), u"*.doc"_s);
    EXPECT_TRUE(specs()->hasFocus());
}

TEST_F(PathListTest, DeletingBOfFourLeavesTheOthersWithTheirSpecsAndIsSavedRenumbered)
{
    storePaths({u"F:\\A"_s, u"F:\\B"_s, u"F:\\C"_s, u"F:\\D"_s}, {u"a"_s, u"b"_s, u"c"_s, u"d"_s});
    open();
    clickEntry(1);
    EXPECT_EQ(specs()->toPlainText(), u"b"_s);

    click("Command4"); // No, the default answer
    EXPECT_EQ(paths()->count(), 4);
    boxes.answers = {Answer::Yes};
    click("Command4");
    EXPECT_EQ(boxes.questions.last(),
              u"Are you sure you want to delete the selected directory from the list?"_s);
    EXPECT_EQ(shownPaths(), (QStringList{u"F:\\A"_s, u"F:\\C"_s, u"F:\\D"_s}));
    EXPECT_EQ(paths()->currentRow(), 0);
    EXPECT_EQ(specs()->toPlainText(), u"a"_s);
    EXPECT_EQ(status(), u"Directory deleted."_s);

    paths()->item(2)->setCheckState(Qt::Unchecked);
    ASSERT_TRUE(closeWindow());
    EXPECT_EQ(stored(u"Options"_s, u"Dir_1"_s), u"F:\\C"_s);
    EXPECT_EQ(stored(u"Options"_s, u"Spec_1"_s), u"c"_s);
    EXPECT_EQ(stored(u"Options"_s, u"Sub_2"_s), u"False"_s);
    EXPECT_EQ(stored(u"Options"_s, u"Dir_3"_s), u"<missing>"_s);
    EXPECT_EQ(stored(u"Options"_s, u"Spec_3"_s), u"<missing>"_s);
}

TEST_F(PathListTest, ClickingACheckBoxMakesItsEntryTheOneHighlightedDeletedAndEdited)
{
    storePaths({u"F:\\A"_s, u"F:\\B"_s, u"F:\\C"_s}, {u"a"_s, u"b"_s, u"c"_s});
    open();
    clickEntry(2);
    clickCheckBox(1);
    EXPECT_EQ(paths()->item(1)->checkState(), Qt::Unchecked) << "the click landed on the check box";
    EXPECT_EQ(paths()->currentRow(), 1);
    ASSERT_EQ(paths()->selectedItems().size(), 1);
    EXPECT_EQ(paths()->selectedItems().constFirst(), paths()->item(1));
    EXPECT_EQ(specs()->toPlainText(), u"b"_s);
    EXPECT_TRUE(specs()->hasFocus());

    specs()->setPlainText(u"*.txt"_s);
    boxes.answers = {Answer::Yes};
    click("Command4");
    EXPECT_EQ(shownPaths(), (QStringList{u"F:\\A"_s, u"F:\\C"_s}));
    clickEntry(1);
    EXPECT_EQ(specs()->toPlainText(), u"c"_s);
}

TEST_F(PathListTest, AnEmptiedListHidesScanAndDeleteAndEmptiesTheSpecBox)
{
    storePaths({u"F:\\A"_s, u"F:\\B"_s}, {u"a"_s, u"b"_s});
    open();
    boxes.answers = {Answer::Yes};
    click("Command5");
    EXPECT_EQ(boxes.questions.last(),
              u"Are you sure you want to delete all the directories from the list?"_s);
    EXPECT_EQ(paths()->count(), 0);
    EXPECT_TRUE(specs()->toPlainText().isEmpty());
    EXPECT_EQ(status(), u"All directories deleted."_s);
    for (const char* hidden : {"Command1", "Command4", "Command5"})
        EXPECT_TRUE(control(hidden)->isHidden()) << hidden;

    chooser->answers = {u"G:\\NEW"_s};
    click("Command3");
    boxes.answers = {Answer::Yes};
    click("Command4");
    EXPECT_TRUE(control("Command4")->isHidden());
    EXPECT_TRUE(specs()->toPlainText().isEmpty());
    ASSERT_TRUE(closeWindow());
    EXPECT_EQ(stored(u"Options"_s, u"Dir_0"_s), u"<missing>"_s);
}

} // namespace
