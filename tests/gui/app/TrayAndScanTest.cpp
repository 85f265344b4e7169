#include "MainWindowFixture.h"

#include "gui/app/TrayIcon.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>

using namespace corvane;
using namespace Qt::StringLiterals;
using Answer = UserInterfacePort::Answer;
using corvane::test::MainWindowTest;

namespace {

class TrayTest : public MainWindowTest
{
protected:
    QAction* restore() const { return window->findChild<TrayIcon*>()->mnuTrayRestore(); }
    QAction* exit() const { return window->findChild<TrayIcon*>()->mnuTrayClose(); }
};

TEST_F(TrayTest, RestoreIsOfferedOnlyWhileTheWindowIsNotInItsNormalState)
{
    open();
    EXPECT_FALSE(restore()->isEnabled());
    window->showMaximized();
    EXPECT_TRUE(restore()->isEnabled());
    restore()->trigger();
    EXPECT_FALSE(window->isMaximized());
    EXPECT_FALSE(restore()->isEnabled());
    window->SetTrayMenuItems(1);
    EXPECT_TRUE(restore()->isEnabled());
    window->SetTrayMenuItems(3); // no state: no change
    EXPECT_TRUE(restore()->isEnabled());
    window->SetTrayMenuItems(0);
    EXPECT_FALSE(restore()->isEnabled());
}

TEST_F(TrayTest, WithATrayMinimisingHidesTheWindowAndRestoreBringsItBack)
{
    trayAvailable = true;
    open();
    window->showMinimized();
    QTest::qWait(20);
    EXPECT_TRUE(window->isHidden());
    EXPECT_TRUE(restore()->isEnabled());
    restore()->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
    EXPECT_FALSE(restore()->isEnabled());
}

TEST_F(TrayTest, WithoutATrayMinimisingNeverHidesTheWindow)
{
    open();
    window->showMinimized();
    QTest::qWait(20);
    EXPECT_FALSE(window->isHidden());
    EXPECT_TRUE(restore()->isEnabled());
}

TEST_F(TrayTest, ExitInTheTrayMenuCloses)
{
    open();
    exit()->trigger();
    EXPECT_FALSE(window->isVisible());
}

class ScanTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        deliverDatabase();
    }
    QString status() const { return control<QPlainTextEdit>("Text2")->toPlainText(); }
    // One emulated server whose volume holds a file written now.
    void writeNetwork() const
    {
        QDir(home.path()).mkpath(u"vol1/DOCS"_s);
        QFile configuration(homePath(u"netware.conf"_s));
        ASSERT_TRUE(configuration.open(QIODevice::WriteOnly));
        configuration.write("[server SRV1]\nversion = 3.12\nvolume VOL1 = vol1\n");
        QFile file(homePath(u"vol1/DOCS/MEMO.TXT"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("minutes");
    }
};

TEST_F(ScanTest, WhileAScanWaitsTheWindowIsBusyAndRefusesToCloseUntilStop)
{
    store.save(u"Options"_s, u"Dir_0"_s, u"\\\\SRV1\\VOL1"_s);
    store.save(u"Misc"_s, u"AutoScan"_s, u"1"_s); // waits for 05:00 p; the clock says 10:00 am
    open();
    bool stopShown = false, refusedEscape = false, refusedExit = false, settingsLocked = false;
    QTimer::singleShot(50, window.get(), [&] {
        stopShown = control("Command2")->isVisible();
        settingsLocked = !control("Command3")->isEnabled() && !control("Text1")->isEnabled() &&
                         !control("Text3")->isEnabled() && !box("cbAutoRun")->isEnabled() &&
                         control("Text2")->isEnabled() && control("Command2")->isEnabled();
        QTest::keyClick(window.get(), Qt::Key_Escape);
        refusedEscape = window->isVisible();
        window->findChild<TrayIcon*>()->mnuTrayClose()->trigger();
        refusedExit = window->isVisible();
        click("Command2");
    });
    click("Command1");

    EXPECT_TRUE(stopShown);
    EXPECT_TRUE(settingsLocked);
    EXPECT_TRUE(refusedEscape);
    EXPECT_TRUE(refusedExit);
    EXPECT_EQ(status(), u"Scan terminated."_s);
    EXPECT_TRUE(control("Command2")->isHidden());
    EXPECT_TRUE(control("Command3")->isEnabled());
    EXPECT_TRUE(control("Text3")->isEnabled());
    EXPECT_TRUE(closeWindow());
}

TEST_F(ScanTest, AScanOfTheNetworkShowsTheLastScanAndPurgeAllTakesItAway)
{
    writeNetwork();
    now = QDateTime::currentDateTime(); // the file's dates are today's
    open();
    chooser->answers = {u"\\\\SRV1\\VOL1\\DOCS"_s};
    click("Command3");
    click("Command1");
    ASSERT_TRUE(status().endsWith(u" KB."_s)) << status().toStdString();
    EXPECT_TRUE(status().startsWith(u"1 files found."_s)) << status().toStdString();
    EXPECT_TRUE(control<QLabel>("Label4")->text().startsWith(u"Last scan: "_s));
    EXPECT_TRUE(control("Command12")->isVisible());

    boxes.answers = {Answer::Yes};
    click("Command13");
    EXPECT_EQ(boxes.questions.last(), u"Are you sure you want to delete all the data?"_s);
    EXPECT_EQ(status(), u"All data has been purged."_s);
    EXPECT_TRUE(control<QLabel>("Label4")->text().isEmpty());
    EXPECT_TRUE(control("Command12")->isHidden());
    EXPECT_EQ(stored(u"System"_s, u"LastScan"_s), QString());
}

TEST_F(ScanTest, PurgeTodayAfterAScanOfTodayAsksForTheDay)
{
    store.save(u"System"_s, u"LastScan"_s, u"12/07/2026 09:30 am"_s);
    open();
    ASSERT_TRUE(control("Command12")->isVisible());
    boxes.answers = {Answer::Yes};
    click("Command12");
    EXPECT_EQ(boxes.questions.last(), u"Are you sure you want to delete data for 12/7/2026?"_s);
    EXPECT_EQ(status(), u"Data for 12/7/2026 has been purged."_s);
    EXPECT_TRUE(control("Command12")->isHidden());
}

TEST_F(ScanTest, APurgeThatCannotRunShowsTheDatabasesWordsAndKeepsTheLastScan)
{
    store.save(u"System"_s, u"LastScan"_s, u"12/07/2026 09:30 am"_s);
    QFile damaged(homePath(u"cv.mdb"_s));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write(QByteArray(2048, 'x'));
    damaged.close();
    open();
    const qsizetype shownBefore = boxes.messages.size();
    boxes.answers = {Answer::Yes, Answer::Yes};
    click("Command12");
    EXPECT_EQ(status(), u"Data for 12/7/2026 has not been purged."_s);
    click("Command13");
    EXPECT_EQ(status(), u"The data has not been purged."_s);
    ASSERT_EQ(boxes.messages.size(), shownBefore + 2);
    EXPECT_TRUE(boxes.messages.last().text.startsWith(u"Error -2147467259 : "_s)) << boxes.messages.last().text.toStdString();
    EXPECT_EQ(control<QLabel>("Label4")->text(), u"Last scan: 12/07/2026 09:30 am"_s);
    EXPECT_TRUE(control("Command12")->isVisible());
    EXPECT_EQ(stored(u"System"_s, u"LastScan"_s), u"12/07/2026 09:30 am"_s);
}

} // namespace
