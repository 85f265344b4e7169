#include "MainWindowFixture.h"

#include "core/settings/RegistryData.h"
#include "core/settings/StartAtBootEntry.h"

#include <QApplication>
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

// The rules are the option model's; the window sends clicks to it and shows what it says.
TEST_F(OptionsTest, TheBoxesMirrorTheOptionRulesAndTheButtonsRunThem)
{
    open();
    click("Command9");
    for (const char* name : fileTables)
        EXPECT_FALSE(box(name)->isChecked()) << name;
    click("cbDeletedDirs");
    EXPECT_TRUE(box("cbDirActivity")->isChecked());
    EXPECT_TRUE(box("cbFileDetail")->isChecked());
    click("Command8");
    EXPECT_TRUE(box("cbNewDirs")->isChecked());

    click("cbAutoScan");
    EXPECT_TRUE(box("cbKeepRunning")->isVisible());
    click("cbAutoScan");
    EXPECT_TRUE(box("cbKeepRunning")->isHidden());
}

// The days rules are the model's; the window filters the keys and leaves on focus out.
TEST_F(OptionsTest, TheDaysBoxTakesDigitsOnlyAndIsNormalisedWhenLeft)
{
    open();
    typeDays(u"0a07"_s);
    EXPECT_EQ(days()->text(), u"007"_s);
    leaveDays();
    EXPECT_EQ(days()->text(), u"7"_s);

    typeDays(u"123456"_s);
    EXPECT_EQ(days()->text(), u"1234"_s);
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

// Esc belongs to an open drop-down first, as everywhere else; only the next one closes the program.
TEST_F(OptionsTest, EscapeOnTheOpenStartTimeListClosesOnlyTheList)
{
    open();
    auto* startTimes = control<QComboBox>("Combo1");
    startTimes->showPopup();
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(stored(u"Options"_s, u"Width"_s), u"<missing>"_s)
        << "the settings were saved: the window closed";

    QTest::keyClick(startTimes, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());

    open(); // the days box, a text box, leaves Esc to the window too
    QTest::keyClick(days(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
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

// What the entry holds is the entry's own business; the window hands it its folders.
TEST_F(OptionsTest, AutoRunWritesAndRemovesTheEntryForThisProgram)
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
}

} // namespace
