#include "MainWindowFixture.h"

#include "core/settings/RegistryData.h"
#include "core/settings/StartAtBootEntry.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

using namespace corvane;
using namespace Qt::StringLiterals;
using corvane::test::MainWindowTest;

namespace {

const char* const fileTables[] = {"cbFileDetail",  "cbDeletedFiles", "cbNewFiles",
                                  "cbEditedFiles", "cbOpenedFiles",  "cbArchivedFiles"};
const char* const tableKeys[] = {"FileDetail",  "DeletedFiles", "NewFiles",    "EditedFiles",  "OpenedFiles",
                                 "DeletedDirs", "NewDirs",      "DirActivity", "ArchivedFiles"};

class OptionsTest : public MainWindowTest
{
protected:
    QLineEdit* days() const { return control<QLineEdit>("Text1"); }
    // Typing into the days box, then leaving it for the file-pattern box.
    void typeDays(const QString& keys) const
    {
        days()->setFocus();
        days()->selectAll();
        QTest::keyClick(days(), Qt::Key_Backspace);
        QTest::keyClicks(days(), keys);
    }
    void leaveDays() const { control("Text3")->setFocus(); }
    long queryRunValue(RegistryValue* value) const
    {
        return temp.registry.queryValue(RootKey::LocalMachine, QString::fromUtf16(StartAtBootEntry::runKey),
                                        u"Corvane Net"_s, value);
    }
};

TEST_F(OptionsTest, DeletedDirectoriesPullsInItsTablesAndNoneLeavesEveryTableOff)
{
    open();
    click("Command9");
    click("cbDeletedDirs");
    EXPECT_TRUE(box("cbDirActivity")->isChecked());
    for (const char* name : fileTables)
        EXPECT_TRUE(box(name)->isChecked()) << name;
    EXPECT_FALSE(box("cbNewDirs")->isChecked());

    click("cbDirActivity"); // unchecking changes no other box
    EXPECT_TRUE(box("cbFileDetail")->isChecked());

    click("Command8");
    click("Command9");
    ASSERT_TRUE(closeWindow());
    for (const char* key : tableKeys)
        EXPECT_EQ(stored(u"Tables"_s, QLatin1String(key)), u"0"_s) << key;
}

TEST_F(OptionsTest, TheDaysBoxTakesDigitsOnlyAndKeepsAtLeastOneDay)
{
    open();
    typeDays(u"0a07"_s);
    EXPECT_EQ(days()->text(), u"007"_s);
    EXPECT_EQ(stored(u"System"_s, u"PurgeDate"_s), u"12/14/2026"_s);
    leaveDays();
    EXPECT_EQ(days()->text(), u"7"_s);

    typeDays(u"123456"_s);
    EXPECT_EQ(days()->text(), u"1234"_s);

    typeDays(QString());
    EXPECT_EQ(stored(u"System"_s, u"PurgeDate"_s), u"12/7/2026"_s);
    leaveDays();
    EXPECT_EQ(days()->text(), u"1"_s);
    EXPECT_EQ(stored(u"System"_s, u"PurgeDate"_s), u"12/8/2026"_s);
    ASSERT_TRUE(closeWindow());
    EXPECT_EQ(stored(u"Misc"_s, u"DaysToKeep"_s), u"1"_s);
}

TEST_F(OptionsTest, KeepRunningAndAutoExitExcludeEachOtherAndKeepRunningNeedsAutoStart)
{
    open();
    click("cbAutoScan");
    ASSERT_TRUE(box("cbKeepRunning")->isVisible());
    click("cbKeepRunning");
    click("cbExit");
    EXPECT_FALSE(box("cbKeepRunning")->isChecked());
    click("cbKeepRunning");
    EXPECT_FALSE(box("cbExit")->isChecked());

    click("cbAutoScan");
    EXPECT_TRUE(box("cbKeepRunning")->isHidden());
    click("cbAutoScan");
    EXPECT_TRUE(box("cbKeepRunning")->isVisible());
    EXPECT_TRUE(box("cbKeepRunning")->isChecked());
}

TEST_F(OptionsTest, ChoosingAStartTimeStoresIt)
{
    open();
    auto* startTimes = control<QComboBox>("Combo1");
    startTimes->setFocus();
    QTest::keyClick(startTimes, Qt::Key_Down); // from no entry to the first
    EXPECT_EQ(startTimes->currentText(), u"12:00 am"_s);
    ASSERT_TRUE(closeWindow());
    EXPECT_EQ(stored(u"Misc"_s, u"StartTime"_s), u"12:00 am"_s);
}

// The darkest text pixel of the combo box's left half, where its text is drawn.
int darkestTextLightness(QComboBox* combo)
{
    const QImage image = combo->grab().toImage();
    int darkest = 255;
    for (int y = 3; y < image.height() - 3; ++y) {
        for (int x = 3; x < image.width() / 2; ++x)
            darkest = std::min(darkest, image.pixelColor(x, y).lightness());
    }
    return darkest;
}

TEST_F(OptionsTest, TheDefaultStartTimeIsShownAsAChosenOneIs)
{
    open();
    auto* startTimes = control<QComboBox>("Combo1");
    EXPECT_EQ(startTimes->currentIndex(), -1);
    EXPECT_EQ(startTimes->placeholderText(), u"05:00 p"_s);
    const int defaultShade = darkestTextLightness(startTimes);
    startTimes->setCurrentIndex(0);
    EXPECT_EQ(defaultShade, darkestTextLightness(startTimes)) << "not greyed as a hint";
}

TEST_F(OptionsTest, AutoRunWritesAndRemovesTheRunValueAndTheAutostartEntry)
{
    open();
    const QString autostartFile = autostart.path() + u"/corvane-net.desktop"_s;
    click("cbAutoRun");
    RegistryValue value;
    ASSERT_EQ(queryRunValue(&value), RegError::Success);
    // The program's folder, which for an installed program is not the application folder.
    EXPECT_EQ(RegistryData::textFromSz(value.data), QCoreApplication::applicationDirPath() + u"/cv -t"_s);
    EXPECT_TRUE(QFile::exists(autostartFile));

    click("cbAutoRun");
    EXPECT_EQ(queryRunValue(&value), RegError::FileNotFound);
    EXPECT_FALSE(QFile::exists(autostartFile));
    ASSERT_TRUE(closeWindow());
    EXPECT_EQ(stored(u"Misc"_s, u"AutoRun"_s), u"0"_s);

    // A stored AutoRun writes both again at every start.
    store.save(u"Misc"_s, u"AutoRun"_s, u"1"_s);
    open();
    EXPECT_EQ(queryRunValue(&value), RegError::Success);
    EXPECT_TRUE(QFile::exists(autostartFile));
}

} // namespace
