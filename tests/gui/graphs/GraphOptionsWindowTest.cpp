#include "gui/graphs/GraphOptionsWindow.h"

#include "core/common/AppFolder.h"
#include "core/graphs/GraphKinds.h"
#include "gui/graphs/ChartView.h"
#include "gui/ui/FileDialogs.h"
#include "mock/ScriptedMessageBoxes.h"
#include "mock/CaptionFit.h"
#include "mock/TempRegistry.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

// Answers the open-file dialog from a queue (cancelled when it is empty) and records each asking.
struct ScriptedFileDialogs : FileDialogs
{
    QString showOpenDialog(QWidget*, const QString& filter, const QString& title,
                           const QString& folder) override
    {
        asked.append(title + u'|' + filter + u'|' + folder);
        return chosen.isEmpty() ? QString() : chosen.takeFirst();
    }
    QString showSaveDialog(QWidget*, const QString&, const QString&, const QString&) override { return {}; }

    QStringList chosen;
    QStringList asked;
};

class GraphOptionsWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { openWindow(); }

    void openWindow()
    {
        window = std::make_unique<GraphOptionsWindow>(
            nullptr, store, [this](QWidget*, const GraphChoice& choice) { charts.append(choice); }, dialogs);
        window->show();
    }

    template <typename T> T* control(const QString& name) const { return window->findChild<T*>(name); }
    QString text(const QString& box) const { return control<QLineEdit>(box)->text(); }
    QString label(const QString& name) const { return control<QLabel>(name)->text(); }
    ChartView* sample() const { return control<ChartView>(u"MSChart1"_s); }
    void pickKind(const QString& kind)
    {
        control<QComboBox>(u"Combo1"_s)->setCurrentText(kind);
        window->pickGraphKind();
    }
    void pickType(const QString& type)
    {
        control<QComboBox>(u"Combo2"_s)->setCurrentText(type);
        window->pickChartType();
    }
    void graphWithDates(const QString& start, const QString& end)
    {
        control<QLineEdit>(u"Text2"_s)->setText(start);
        control<QLineEdit>(u"Text3"_s)->setText(end);
        window->graph();
    }
    QString lastMessage() const { return boxes.messages.isEmpty() ? QString() : boxes.messages.last().text; }

    test::TempRegistry registry;
    SettingsStore store{registry.registry};
    test::ScriptedMessageBoxes boxes;
    ScriptedFileDialogs dialogs;
    QList<GraphChoice> charts;
    std::unique_ptr<GraphOptionsWindow> window;
};

} // namespace

TEST_F(GraphOptionsWindowTest, OpensOnFileActivityAsAFlatLineChartWithLegendOverToday)
{
    const QString today = QDate::currentDate().toString(u"MM/dd/yy"_s);
    EXPECT_EQ(window->windowTitle(), u"Corvane Net - Graph Option Screen"_s);
    EXPECT_EQ(control<QComboBox>(u"Combo1"_s)->count(), 13);
    const GraphChoice start = window->choice();
    EXPECT_EQ(start.kind, u"File Activity"_s);
    EXPECT_EQ(start.title, u"Enter title here"_s);
    EXPECT_EQ(start.startDate, today);
    EXPECT_EQ(start.endDate, today);
    EXPECT_FALSE(start.userNameVisible);
    EXPECT_TRUE(control<QLabel>(u"Label7"_s)->isHidden());
    EXPECT_EQ(start.chartType, u"Line"_s);
    EXPECT_TRUE(start.twoD && start.legend);
    EXPECT_TRUE(start.rotationHint.isEmpty() && label(u"Label9"_s).isEmpty());
    EXPECT_EQ(sample()->chartType(), 3);
    EXPECT_TRUE(sample()->legendVisible());
    EXPECT_EQ(control<QPushButton>(u"Command1"_s)->text(), u"&Graph"_s);
    EXPECT_EQ(control<QPushButton>(u"Command1"_s)->toolTip(), u" Build graph "_s);
    EXPECT_EQ(control<QPushButton>(u"Command4"_s)->toolTip(), u" Close screen "_s);
    EXPECT_EQ(window->focusWidget(), control<QLineEdit>(u"Text1"_s));
}

TEST_F(GraphOptionsWindowTest, EveryCaptionFitsItsControlInTheDesignFont)
{
    ASSERT_EQ(QFontInfo(window->font()).family(), u"Liberation Sans"_s)
        << "the design font is missing: install fonts-liberation (scripts/install-deps.sh)";
    EXPECT_EQ(test::clippedCaptions(*window), "");
}

TEST_F(GraphOptionsWindowTest, OpeningClearsACustomStatementLeftFromBefore)
{
    customGraphStatement() = u"SELECT 1"_s;
    openWindow();
    EXPECT_TRUE(customGraphStatement().isEmpty());
}

TEST_F(GraphOptionsWindowTest, APerUserKindShowsTheUserBoxAndAnotherHidesItKeepingTheName)
{
    pickKind(u"Deleted Files by User"_s);
    EXPECT_FALSE(control<QLineEdit>(u"Text4"_s)->isHidden());
    EXPECT_FALSE(control<QLabel>(u"Label7"_s)->isHidden());
    control<QLineEdit>(u"Text4"_s)->setText(u"jsmith"_s);
    EXPECT_TRUE(window->choice().userNameVisible);
    pickKind(u"New Files"_s);
    EXPECT_TRUE(control<QLineEdit>(u"Text4"_s)->isHidden());
    EXPECT_TRUE(control<QLabel>(u"Label7"_s)->isHidden());
    EXPECT_EQ(window->choice().userName, u"jsmith"_s);
    EXPECT_FALSE(window->choice().userNameVisible);
}

TEST_F(GraphOptionsWindowTest, EachDateMessageStopsGraphAndPutsTheFocusInItsBox)
{
    graphWithDates(u"13/45/03"_s, u"01/31/03"_s);
    EXPECT_EQ(lastMessage(), u"Invalid start date."_s);
    EXPECT_EQ(window->focusWidget(), control<QLineEdit>(u"Text2"_s));
    graphWithDates(u"01/31/03"_s, u"someday"_s);
    EXPECT_EQ(lastMessage(), u"Invalid end date."_s);
    EXPECT_EQ(window->focusWidget(), control<QLineEdit>(u"Text3"_s));
    control<QLineEdit>(u"Text1"_s)->setFocus();
    graphWithDates(u"02/01/03"_s, u"01/31/03"_s);
    EXPECT_EQ(lastMessage(), u"Start date can't be greater than end date."_s);
    EXPECT_EQ(window->focusWidget(), control<QLineEdit>(u"Text2"_s));
    ASSERT_EQ(boxes.messages.size(), 3);
    for (const auto& message : boxes.messages)
        EXPECT_EQ(message.icon, MessageBoxes::Icon::Warning);
    EXPECT_TRUE(charts.isEmpty());
}

TEST_F(GraphOptionsWindowTest, EqualDatesAreAcceptedAndTheChartGetsEveryChoice)
{
    pickKind(u"Edited Files by User"_s);
    control<QLineEdit>(u"Text4"_s)->setText(u"adm"_s);
    control<QLineEdit>(u"Text1"_s)->setText(u"  Edits  "_s);
    pickType(u"Area"_s);
    control<QCheckBox>(u"Check1"_s)->setChecked(false);
    graphWithDates(u"01/31/03"_s, u"2003-01-31"_s);
    EXPECT_TRUE(boxes.messages.isEmpty());
    ASSERT_EQ(charts.size(), 1);
    const GraphChoice& chart = charts.first();
    EXPECT_EQ(chart.kind, u"Edited Files by User"_s);
    EXPECT_EQ(chart.title, u"  Edits  "_s);
    EXPECT_EQ(chart.startDate, u"01/31/03"_s);
    EXPECT_EQ(chart.endDate, u"2003-01-31"_s);
    EXPECT_EQ(chart.userName, u"adm"_s);
    EXPECT_TRUE(chart.userNameVisible);
    EXPECT_EQ(chart.chartType, u"Area"_s);
    EXPECT_FALSE(chart.legend);
    EXPECT_FALSE(sample()->legendVisible());
    // The window stays for the next chart.
    window->graph();
    EXPECT_EQ(charts.size(), 2);
}

TEST_F(GraphOptionsWindowTest, CancellingTheCustomFileTwiceLeavesCustomWithoutDatesAndNoChart)
{
    pickKind(u"Custom"_s);
    EXPECT_EQ(window->choice().kind, u"Custom"_s);
    EXPECT_TRUE(control<QLineEdit>(u"Text2"_s)->isHidden());
    EXPECT_TRUE(control<QLabel>(u"Label4"_s)->isHidden());
    EXPECT_EQ(dialogs.asked, QStringList{u"Open File|SQL Files (*.sql)|*.sql|"_s + applicationFolder()});
    window->graph();
    EXPECT_EQ(dialogs.asked.size(), 2);
    EXPECT_TRUE(charts.isEmpty());
    EXPECT_TRUE(boxes.messages.isEmpty());
    pickKind(u"Opened Files"_s);
    EXPECT_FALSE(control<QLineEdit>(u"Text2"_s)->isHidden());
}

TEST_F(GraphOptionsWindowTest, ACustomFileGivesItsStatementWithoutTheCommentLine)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"deleted.sql"_s);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("' deleted directories per day\r\nSELECT SysDate, Deleted FROM DirActivity\r\n");
    file.close();
    dialogs.chosen = {path};
    pickKind(u"Custom"_s);
    EXPECT_EQ(label(u"Label9"_s), path);
    window->graph();
    ASSERT_EQ(charts.size(), 1);
    EXPECT_EQ(charts.first().customStatement, u"SELECT SysDate, Deleted FROM DirActivity"_s);
    EXPECT_EQ(dialogs.asked.size(), 1);
    // Picking another kind drops the statement and the path.
    pickKind(u"File Activity"_s);
    EXPECT_TRUE(customGraphStatement().isEmpty() && label(u"Label9"_s).isEmpty());
}

TEST_F(GraphOptionsWindowTest, ThreeDShowsTheRotationHintAndSwitchesTheSampleToItsCode)
{
    control<QRadioButton>(u"Option2"_s)->click();
    EXPECT_EQ(label(u"Label8"_s), u"To rotate 3D chart press the CTRL key and use left mouse button."_s);
    EXPECT_EQ(sample()->chartType(), 2);
    pickType(u"Bar"_s);
    EXPECT_EQ(sample()->chartType(), 0);
    EXPECT_FALSE(window->choice().twoD);
    control<QRadioButton>(u"Option1"_s)->click();
    EXPECT_TRUE(label(u"Label8"_s).isEmpty());
    EXPECT_EQ(sample()->chartType(), 1);
    pickType(u"Step"_s);
    EXPECT_EQ(sample()->chartType(), 7);
}

TEST_F(GraphOptionsWindowTest, EscapeClosesTheWindowAndTheNextOneOpensAtItsSize)
{
    window->resize(window->size() + QSize(100, 60));
    const QSize enlarged = window->size();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(store.get(u"Options"_s, u"Height4"_s, {}).isEmpty());
    EXPECT_FALSE(store.get(u"Options"_s, u"Width4"_s, {}).isEmpty());
    openWindow();
    EXPECT_EQ(window->size(), enlarged);
}

TEST_F(GraphOptionsWindowTest, EscapeOnAnOpenListClosesOnlyTheList)
{
    for (const QString& list : {u"Combo1"_s, u"Combo2"_s}) {
        control<QComboBox>(list)->showPopup();
        ASSERT_NE(QApplication::activePopupWidget(), nullptr) << list.toStdString();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << list.toStdString();
        EXPECT_TRUE(window->isVisible()) << list.toStdString();
    }
    EXPECT_TRUE(charts.isEmpty());
}
