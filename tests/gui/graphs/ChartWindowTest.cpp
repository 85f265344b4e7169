#include "gui/graphs/ChartWindow.h"

#include "core/db/AuditDatabaseFixture.h"
#include "gui/graphs/ChartView.h"
#include "mock/NextMessageBox.h"
#include "mock/ScriptedMessageBoxes.h"
#include "mock/TempRegistry.h"

#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

// A cv.mdb in a temporary application folder with three tallied days, 12/01 to 12/03/2026;
// two directories on the first day.
class ChartWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("CORVANE_NET_HOME", temp.folder.path().toUtf8());
        AuditDatabase writer;
        ASSERT_FALSE(writer.open(temp.path, AuditDatabase::Access::ReadWrite).isError());
        test::appendRows(writer, u"DirActivity"_s,
                         {tally(1, u"SYS:\\A"_s, 1), tally(1, u"SYS:\\B"_s, 2), tally(2, u"SYS:\\A"_s, 4),
                          tally(3, u"SYS:\\A"_s, 5)});
        choice.kind = u"File Activity"_s;
        choice.title = u"  Activity  "_s;
        choice.startDate = u"12/01/26"_s;
        choice.endDate = u"12/03/26"_s;
        choice.chartType = u"Bar"_s;
    }
    void TearDown() override { qunsetenv("CORVANE_NET_HOME"); }

    static test::Fields tally(int day, const QString& directory, int count)
    {
        return {{u"SysDate"_s, QDate(2026, 12, day)},
                {u"Directory"_s, directory},
                {u"Deleted"_s, count},
                {u"Created"_s, 2 * count},
                {u"Modified"_s, 0},
                {u"Opened"_s, 0},
                {u"Archived"_s, 0}};
    }
    static QChart* chartOf(const ChartWindow& window)
    {
        return window.chartView()->findChild<QChartView*>(u"flatChart"_s)->chart();
    }
    QStringList messages() const
    {
        QStringList texts;
        for (const auto& message : boxes.messages)
            texts.append(message.text);
        return texts;
    }
    static int chartWindowsShown()
    {
        int shown = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            shown += qobject_cast<ChartWindow*>(widget) != nullptr && widget->isVisible() ? 1 : 0;
        return shown;
    }

    test::TempAuditDatabase temp;
    test::TempRegistry registry;
    SettingsStore store{registry.registry};
    test::ScriptedMessageBoxes boxes;
    GraphChoice choice;
};

TEST_F(ChartWindowTest, FileActivityChartsTheSumsPerDayWithFiveSeriesAndTheChosenLooks)
{
    const ChartWindow window(nullptr, store, choice);
    ASSERT_TRUE(window.hasChart());
    EXPECT_TRUE(boxes.messages.isEmpty());
    EXPECT_EQ(window.windowTitle(), u"Corvane Net - File Activity"_s);
    EXPECT_EQ(window.chartView()->title(), u"Activity"_s);
    EXPECT_EQ(window.chartView()->chartType(), 1);
    EXPECT_TRUE(window.chartView()->legendVisible());
    QChart* chart = chartOf(window);
    const QList<QBarSet*> sets = qobject_cast<QBarSeries*>(chart->series().first())->barSets();
    QStringList names;
    for (const QBarSet* set : sets)
        names.append(set->label());
    EXPECT_EQ(names, QStringList({u"Deleted"_s, u"New"_s, u"Modified"_s, u"Opened"_s, u"Archived"_s}));
    EXPECT_EQ(sets[0]->count(), 3);
    EXPECT_EQ(sets[0]->at(0), 3.0);
    EXPECT_EQ(sets[1]->at(2), 10.0);
    const auto* days = qobject_cast<QCategoryAxis*>(chart->axes(Qt::Horizontal).value(0));
    EXPECT_EQ(days->count(), 2); // the first and the last day only
    EXPECT_EQ(window.findChild<QLabel*>(u"Label8"_s)->text(), QString());
    EXPECT_EQ(window.findChild<QPushButton*>(u"Command1"_s)->toolTip(), u" Print the graph "_s);
}

TEST_F(ChartWindowTest, ThreeDShowsTheHintAndWithoutOpenGlFallsBackFlatWithTheLabel)
{
    choice.twoD = false;
    choice.chartType = u"Step"_s;
    choice.legend = false;
    choice.rotationHint = u"To rotate 3D chart press the CTRL key and use left mouse button."_s;
    ChartWindow window(nullptr, store, choice);
    window.show();
    EXPECT_EQ(window.findChild<QLabel*>(u"Label8"_s)->text(), choice.rotationHint);
    EXPECT_EQ(window.chartView()->chartType(), 6);
    EXPECT_TRUE(window.chartView()->fellBackToFlat());
    EXPECT_TRUE(window.chartView()->findChild<QLabel*>(u"fallbackLabel"_s)->isVisible());
    EXPECT_FALSE(chartOf(window)->legend()->isVisible());
}

TEST_F(ChartWindowTest, NoRowsOrABadStatementShowTheMessageAndNoWindow)
{
    choice.startDate = choice.endDate = u"01/01/27"_s;
    showChartWindow(nullptr, store, choice);
    EXPECT_EQ(messages(), QStringList({u"No records found."_s}));
    EXPECT_EQ(boxes.messages.last().icon, UserInterfacePort::Icon::Warning);

    choice.kind = u"Custom"_s;
    choice.customStatement = u"SELECT Nothing FROM NoSuchTable"_s;
    showChartWindow(nullptr, store, choice);
    ASSERT_EQ(boxes.messages.size(), 2);
    EXPECT_FALSE(boxes.messages[1].text.isEmpty());
    EXPECT_EQ(boxes.messages[1].icon, UserInterfacePort::Icon::None);
    EXPECT_EQ(chartWindowsShown(), 0);
}

// The window that fails never shows, so its message goes over the window that asked for the
// chart, under the program's full name.
TEST_F(ChartWindowTest, TheMessageOfAFailedStatementIsCentredOnTheOptionsWindowAndFullyTitled)
{
    QWidget options;
    options.setGeometry(150, 100, 500, 400);
    options.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&options));
    MessageBoxes::divertTo(nullptr);
    choice.kind = u"Custom"_s;
    choice.customStatement = u"SELECT Nothing FROM NoSuchTable"_s;
    test::SeenBox seen;
    test::closeNextMessageBox(seen);
    showChartWindow(&options, store, choice);
    MessageBoxes::divertTo(&boxes);
    EXPECT_EQ(seen.title, u"Corvane Net"_s);
    EXPECT_FALSE(seen.text.isEmpty());
    EXPECT_EQ(seen.ownerGeometry, options.frameGeometry());
    EXPECT_LE((seen.geometry.center() - options.frameGeometry().center()).manhattanLength(), 4)
        << seen.geometry.center().x() << "," << seen.geometry.center().y();
}

TEST_F(ChartWindowTest, ShownModallyAndClosedWithEscRemembersItsSize)
{
    QTimer::singleShot(0, [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<ChartWindow*>(widget); window != nullptr && window->isVisible()) {
                window->resize(window->width() + 40, window->height());
                window->reject(); // as Esc does
            }
        }
    });
    showChartWindow(nullptr, store, choice);
    EXPECT_EQ(chartWindowsShown(), 0);
    EXPECT_NE(store.get(u"Options"_s, u"Width5"_s, QString()), QString());
}

TEST_F(ChartWindowTest, PrintingWithoutAPrinterWritesAPdfSaysSoAndLeavesTheClipboardAlone)
{
    QApplication::clipboard()->setText(u"the user's text"_s);
    ChartWindow window(nullptr, store, choice);
    window.show();
    window.findChild<QPushButton*>(u"Command1"_s)->click();
    const QString pdf = temp.folder.filePath(ChartWindow::pdfFileName());
    EXPECT_EQ(messages(), QStringList({u"No printer is set up: chart written to "_s + pdf + u'.'}));
    EXPECT_EQ(boxes.messages.last().icon, UserInterfacePort::Icon::None);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("%PDF"));
    EXPECT_EQ(QApplication::clipboard()->text(), u"the user's text"_s);
}

TEST_F(ChartWindowTest, APdfThatCannotBeWrittenIsReportedAsAFailure)
{
    ChartWindow window(nullptr, store, choice);
    ASSERT_TRUE(QDir(temp.folder.path()).mkdir(ChartWindow::pdfFileName())); // a folder in the file's place
    window.print();
    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_TRUE(boxes.messages[0].text.startsWith(u"Unable to print chart. \r\n"_s));
    EXPECT_TRUE(boxes.messages[0].text.endsWith(u'.'));
    EXPECT_EQ(boxes.messages[0].icon, UserInterfacePort::Icon::Warning);
}

} // namespace
