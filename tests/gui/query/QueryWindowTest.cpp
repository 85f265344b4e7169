#include "gui/query/QueryWindow.h"

#include "core/settings/SettingsStore.h"
#include "gui/query/QueryModel.h"
#include "mock/TempRegistry.h"
#include "mock/CaptionFit.h"
#include "QueryTestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

class QueryWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<QueryWindow>(nullptr, store, user);
        window->show();
    }

    template <typename T> T* control(const QString& name) const { return window->findChild<T*>(name); }
    QString caption() const { return control<QLabel>(u"Adodc1"_s)->text(); }
    QString sortLabel() const { return control<QLabel>(u"Label2"_s)->text(); }
    QString picker() const { return control<QComboBox>(u"Combo1"_s)->currentText(); }
    QueryModel* model() const
    {
        return qobject_cast<QueryModel*>(control<QTableView>(u"DataGrid1"_s)->model());
    }
    bool shown(const QString& button) const { return control<QPushButton>(button)->isVisible(); }
    void run(const QString& text)
    {
        control<QPlainTextEdit>(u"Text1"_s)->setPlainText(text);
        window->runStatement();
    }
    QString lastMessage() const { return user.messages.isEmpty() ? QString() : user.messages.last().text; }
    QByteArray fileBytes(const QString& name) const
    {
        QFile file(folder.inFolder(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    test::QueryTestFolder folder;
    test::TempRegistry registry;
    SettingsStore store{registry.registry};
    test::FakeQueryUser user;
    std::unique_ptr<QueryWindow> window;
};

TEST_F(QueryWindowTest, OpensOnFileDetailAndPickingATableLeavesTheStatementBoxAlone)
{
    EXPECT_EQ(window->windowTitle(), u"Corvane Net - Query File Information"_s);
    EXPECT_EQ(picker(), u"File Detail"_s);
    EXPECT_EQ(control<QComboBox>(u"Combo1"_s)->count(), 9);
    EXPECT_EQ(caption(), u"3 records"_s);
    EXPECT_TRUE(shown(u"Command6"_s) && shown(u"Command7"_s) && shown(u"Command8"_s));
    EXPECT_FALSE(shown(u"Command3"_s));

    control<QPlainTextEdit>(u"Text1"_s)->setPlainText(u"SELECT 1"_s);
    window->pickTable(7);
    window->pickTable(5);
    EXPECT_EQ(control<QPlainTextEdit>(u"Text1"_s)->toPlainText(), u"SELECT 1"_s);
    EXPECT_EQ(model()->statement(), u"SELECT * FROM Detail"_s);
}

TEST_F(QueryWindowTest, AnEmptyTableHidesTheRowOutputAndBlankTextHidesTheStatementButtons)
{
    window->pickTable(1);
    EXPECT_EQ(caption(), u"0 records"_s);
    EXPECT_FALSE(shown(u"Command6"_s) || shown(u"Command7"_s) || shown(u"Command8"_s));

    control<QPlainTextEdit>(u"Text1"_s)->setPlainText(u"SELECT 1"_s);
    EXPECT_TRUE(shown(u"Command2"_s) && shown(u"Command3"_s) && shown(u"Command5"_s));
    control<QPlainTextEdit>(u"Text1"_s)->setPlainText(u"  \n  "_s);
    EXPECT_FALSE(shown(u"Command2"_s) || shown(u"Command3"_s) || shown(u"Command5"_s));
}

TEST_F(QueryWindowTest, ARunStatementSelectsTheTableItReadsWithoutRunningThePicker)
{
    run(u"select * from newfiles where Owner like '*adm*'"_s);
    EXPECT_EQ(picker(), u"New Files"_s);
    EXPECT_EQ(model()->statement(), u"select * from newfiles where Owner like '*adm*'"_s);
    EXPECT_TRUE(caption().startsWith(u"0 records in "_s)) << caption().toStdString();
    EXPECT_TRUE(caption().endsWith(u" seconds."_s));

    run(u"SELECT COUNT(*) FROM DeletedFiles"_s);
    EXPECT_EQ(picker(), u"Deleted Files"_s);
    EXPECT_EQ(caption().left(12), u"1 record in "_s);

    run(u"SELECT * FROM Detail, NewFiles"_s);
    EXPECT_EQ(picker(), u"Deleted Files"_s);
    run(u"SELECT * FROM Detail\nWHERE Bytes > 15"_s);
    EXPECT_EQ(picker(), u"Deleted Files"_s);
    EXPECT_EQ(model()->totalRows(), 2);
    EXPECT_TRUE(user.messages.isEmpty());
}

TEST_F(QueryWindowTest, AFirstCommentLineIsDroppedButACommentAloneFailsAndKeepsTheRows)
{
    run(u"' my query\nSELECT * FROM NewDirs"_s);
    EXPECT_EQ(model()->statement(), u"SELECT * FROM NewDirs"_s);
    EXPECT_EQ(picker(), u"New Directories"_s);

    window->pickTable(5);
    run(u"' my query"_s);
    ASSERT_EQ(user.messages.size(), 1);
    EXPECT_TRUE(lastMessage().startsWith(u"Error "_s)) << lastMessage().toStdString();
    EXPECT_EQ(user.messages.last().title, u"Corvane Net"_s);
    EXPECT_EQ(user.messages.last().icon, QueryUser::Icon::Warning);
    EXPECT_EQ(model()->statement(), u"SELECT * FROM Detail"_s);
    EXPECT_EQ(model()->rowCount(), 3);
    EXPECT_EQ(model()->index(0, 8).data().toString(), u"b.txt"_s);
}

TEST_F(QueryWindowTest, TypedChangesAreRefusedAndTheFileStaysAsItWas)
{
    const QByteArray before = folder.temp.bytes();
    const QStringList changes = {u"DELETE * FROM Detail"_s, u"UPDATE Detail SET Bytes = 0"_s,
                                 u"INSERT INTO NewDirs (Directory) VALUES ('X')"_s, u"DROP TABLE Detail"_s};
    for (const QString& change : changes)
        run(change);
    ASSERT_EQ(user.messages.size(), changes.size());
    for (const auto& message : user.messages)
        EXPECT_TRUE(message.text.startsWith(u"Error "_s)) << message.text.toStdString();
    EXPECT_EQ(folder.temp.bytes(), before);
    EXPECT_EQ(model()->totalRows(), 3);
}

TEST_F(QueryWindowTest, HeadingsSortAscendingThenDescendingAndReplaceAnOrderClause)
{
    window->sortByColumn(2);
    EXPECT_EQ(model()->statement(), u"SELECT * FROM Detail ORDER BY 3 ASC"_s);
    EXPECT_EQ(sortLabel(), u"Sorted by owner in ascending order"_s);
    EXPECT_EQ(model()->index(0, 2).data().toString(), u"ADMIN"_s);
    window->sortByColumn(2);
    EXPECT_EQ(model()->statement(), u"SELECT * FROM Detail ORDER BY 3 DESC"_s);
    EXPECT_EQ(sortLabel(), u"Sorted by owner in descending order"_s);
    EXPECT_EQ(model()->index(0, 2).data().toString(), u"KIM"_s);
    window->sortByColumn(2);
    EXPECT_EQ(sortLabel(), u"Sorted by owner in ascending order"_s);

    run(u"SELECT file, Bytes FROM Detail order by file"_s);
    EXPECT_EQ(sortLabel(), u"Click on field heading to sort on that field"_s);
    window->sortByColumn(1);
    EXPECT_EQ(model()->statement(), u"SELECT file, Bytes FROM Detail order by 2 ASC"_s);

    window->pickTable(1);
    window->sortByColumn(0); // no rows: nothing happens
    EXPECT_EQ(model()->statement(), u"SELECT * FROM DeletedDirs"_s);
}

TEST_F(QueryWindowTest, TheCaptionFollowsTheCurrentCellAndTheNextRepaint)
{
    auto* grid = control<QTableView>(u"DataGrid1"_s);
    grid->setCurrentIndex(model()->index(1, 3));
    EXPECT_EQ(caption(), u"Record 2 of 3"_s);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(window.get(), &activate);
    EXPECT_EQ(caption(), u"3 records"_s);
}

TEST_F(QueryWindowTest, CsvFilesAreNamedInLowerCaseInTheApplicationFolderAndOfferedForOpening)
{
    run(u"SELECT file, Bytes FROM Detail ORDER BY file"_s);
    auto* grid = control<QTableView>(u"DataGrid1"_s);
    grid->setCurrentIndex(model()->index(2, 1));
    user.typed = {u"Report"_s, u"data.CSV"_s};
    user.yesNo = {false, true};
    control<QPushButton>(u"Command8"_s)->click();
    EXPECT_EQ(fileBytes(u"report.csv"_s), QByteArray("\"file\",\"Bytes\"\r\n\"a.txt\",\"10\"\r\n"
                                                     "\"b.txt\",\"20\"\r\n\"c.txt\",\"30\"\r\n"));
    EXPECT_EQ(user.prompts.value(0),
              u"Enter file name|Create a Comma Seperated Values (CSV) File|results.csv"_s);
    EXPECT_EQ(user.questions.value(0), u"File "_s + folder.inFolder(u"report.csv"_s) +
                                           u" has been created.\nDo you want to open the file?"_s);
    EXPECT_TRUE(user.opened.isEmpty());
    EXPECT_EQ(grid->currentIndex(), model()->index(0, 1));

    user.openSucceeds = false;
    control<QPushButton>(u"Command8"_s)->click();
    EXPECT_TRUE(QFile::exists(folder.inFolder(u"data.csv"_s)));
    EXPECT_EQ(user.opened, QStringList{folder.inFolder(u"data.csv"_s)});
    EXPECT_EQ(lastMessage(), u"Can't open file."_s);
    EXPECT_EQ(user.messages.last().title, u"Corvane Net"_s);
    EXPECT_EQ(user.beeps, 1);
}

TEST_F(QueryWindowTest, ACsvFileHeldOpenElsewhereGivesErrorSeventy)
{
    QFile lock(folder.inFolder(u".~lock.results.csv#"_s));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    user.typed = {u"results.csv"_s};
    control<QPushButton>(u"Command8"_s)->click();
    EXPECT_EQ(lastMessage(), u"Error 70 : Permission denied\nFile is already open."_s);
    EXPECT_EQ(user.messages.last().title, u"Error Message"_s);
    EXPECT_EQ(user.beeps, 1);
    EXPECT_TRUE(user.questions.isEmpty());
}

TEST_F(QueryWindowTest, TheClipboardTakesCommaOrSpaceFormAndANonNumberCopiesNothing)
{
    run(u"SELECT file, Bytes FROM Detail ORDER BY file"_s);
    QClipboard* clipboard = QApplication::clipboard();
    user.yesNo = {true, false, false};
    user.typed = {u"3"_s, u"abc"_s};
    control<QPushButton>(u"Command7"_s)->click();
    EXPECT_EQ(clipboard->text(), u"\"a.txt\",\"10\"\r\n\"b.txt\",\"20\"\r\n\"c.txt\",\"30\"\r\n"_s);
    EXPECT_EQ(lastMessage(), u"42 bytes copied to Clipboard."_s);
    EXPECT_EQ(user.questions.value(0), u"Seperate field values with commas?"_s);

    control<QPushButton>(u"Command7"_s)->click();
    EXPECT_EQ(clipboard->text(), u"a.txt   10   \r\nb.txt   20   \r\nc.txt   30   \r\n"_s);
    EXPECT_EQ(user.prompts.value(0), u"Number of spaces between field values|Corvane Net|2"_s);

    const qsizetype messages = user.messages.size();
    control<QPushButton>(u"Command7"_s)->click();
    EXPECT_EQ(clipboard->text(), u"a.txt   10   \r\nb.txt   20   \r\nc.txt   30   \r\n"_s);
    EXPECT_EQ(user.messages.size(), messages);
}

TEST_F(QueryWindowTest, StatementFilesLoadWithTheirCommentLineAndSaveWithoutAddingAnExtension)
{
    QFile file(folder.inFolder(u"today.sql"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("' deleted today\r\nSELECT * FROM DeletedFiles\r\n");
    file.close();
    user.chosenFiles = {file.fileName()};
    control<QPushButton>(u"Command1"_s)->click();
    EXPECT_EQ(user.dialogs.value(0), u"Open File|SQL Files (*.sql)|*.sql"_s);
    EXPECT_EQ(control<QPlainTextEdit>(u"Text1"_s)->toPlainText(),
              u"' deleted today\nSELECT * FROM DeletedFiles"_s);
    EXPECT_EQ(model()->statement(), u"SELECT * FROM DeletedFiles"_s);
    EXPECT_TRUE(user.messages.isEmpty());

    user.chosenFiles = {folder.inFolder(u"daily"_s)};
    control<QPushButton>(u"Command2"_s)->click();
    EXPECT_EQ(fileBytes(u"daily"_s), QByteArray("' deleted today\nSELECT * FROM DeletedFiles\r\n"));
}

TEST_F(QueryWindowTest, EveryCaptionFitsItsControlInTheDesignFont)
{
    ASSERT_EQ(QFontInfo(window->font()).family(), u"Liberation Sans"_s)
        << "the design font is missing: install fonts-liberation (scripts/install-deps.sh)";
    EXPECT_EQ(test::clippedCaptions(*window), "");
}

TEST_F(QueryWindowTest, AStatementFileWithTwoCommentLinesFailsToRun)
{
    QFile file(folder.inFolder(u"two.sql"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("' first\r\n' second\r\nSELECT * FROM NewFiles\r\n");
    file.close();
    user.chosenFiles = {file.fileName()};
    control<QPushButton>(u"Command1"_s)->click();
    ASSERT_EQ(user.messages.size(), 1);
    EXPECT_TRUE(lastMessage().startsWith(u"Error "_s));
    EXPECT_EQ(model()->statement(), u"SELECT * FROM Detail"_s);
}

TEST_F(QueryWindowTest, PrintingWithoutAPrinterWritesAPdfInTheApplicationFolderAndSaysWhere)
{
    control<QPlainTextEdit>(u"Text1"_s)->setPlainText(u"SELECT * FROM Detail"_s);
    control<QPushButton>(u"Command6"_s)->click();
    const QString pdf = folder.inFolder(u"query.pdf"_s);
    EXPECT_TRUE(fileBytes(u"query.pdf"_s).startsWith("%PDF"));
    EXPECT_TRUE(lastMessage().contains(pdf)) << lastMessage().toStdString();
    EXPECT_EQ(user.messages.last().icon, QueryUser::Icon::None);
}

TEST_F(QueryWindowTest, APdfThatCannotBeWrittenIsReportedAsAFailure)
{
    ASSERT_TRUE(QDir(folder.temp.folder.path()).mkdir(u"query.pdf"_s)); // a folder in the file's place
    control<QPushButton>(u"Command6"_s)->click();
    ASSERT_EQ(user.messages.size(), 1);
    EXPECT_TRUE(lastMessage().startsWith(u"Unable to print records. \r\n"_s)) << lastMessage().toStdString();
    EXPECT_TRUE(lastMessage().contains(folder.inFolder(u"query.pdf"_s)));
    EXPECT_EQ(user.messages.last().icon, QueryUser::Icon::Warning);
}

TEST_F(QueryWindowTest, ColumnsFitTheRowsOnShowUpToACap)
{
    const QString directory = u"\\\\CORVANE\\VOL1:\\Projects\\Quarterly Reports\\2026"_s;
    const QString huge(400, u'x');
    run(u"SELECT '"_s + directory + u"' AS Directory, file, '"_s + huge + u"' AS Note FROM Detail"_s);
    auto* grid = control<QTableView>(u"DataGrid1"_s);
    EXPECT_FALSE(grid->wordWrap()) << "wrapped text in a one-line row is cut from its start";
    const QFontMetrics metrics(grid->font());
    EXPECT_GE(grid->columnWidth(0), metrics.horizontalAdvance(directory));
    EXPECT_GE(grid->columnWidth(1), metrics.horizontalAdvance(u"b.txt"_s));
    EXPECT_LT(grid->columnWidth(1), metrics.horizontalAdvance(u"b.txt"_s) + 60);
    EXPECT_LT(grid->columnWidth(2), grid->viewport()->width());
    EXPECT_GT(grid->columnWidth(2), grid->viewport()->width() / 3);

    window->sortByColumn(1); // the rows are read again
    EXPECT_GE(grid->columnWidth(0), metrics.horizontalAdvance(directory));
}

// The window scales its font with its size; the cells grow with the text they hold, and so do
// the headers, also where the desktop gives headers a font of their own.
TEST_F(QueryWindowTest, RowsAndColumnsFollowTheFontAsTheWindowGrowsAndKeepAWidenedColumn)
{
    QFont themeHeaders = QApplication::font();
    themeHeaders.setPointSizeF(7);
    QApplication::setFont(themeHeaders, "QHeaderView");
    window = std::make_unique<QueryWindow>(nullptr, store, user);
    window->show();
    QApplication::setFont(QApplication::font(), "QHeaderView");
    const QString directory = u"\\\\CORVANE\\VOL1:\\Projects\\Quarterly Reports"_s;
    run(u"SELECT '"_s + directory + u"' AS Directory, file, Bytes FROM Detail"_s);
    auto* grid = control<QTableView>(u"DataGrid1"_s);
    const int designWidth = grid->columnWidth(0);
    const int designText = grid->fontMetrics().horizontalAdvance(directory);
    grid->setColumnWidth(1, 150); // widened by the user

    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX); // whatever the test screen's size
    window->resize(window->size() * 2);
    const QFontMetrics metrics(grid->font());
    ASSERT_GT(metrics.height(), QFontMetrics(window->font()).height() * 3 / 2) << "the font did not grow";
    const double growth = static_cast<double>(metrics.horizontalAdvance(directory)) / designText;
    EXPECT_GE(grid->columnWidth(0), metrics.horizontalAdvance(directory));
    EXPECT_NEAR(grid->columnWidth(0), designWidth * growth, 4);
    EXPECT_NEAR(grid->columnWidth(1), 150 * growth, 4);
    EXPECT_GE(grid->rowHeight(0), metrics.height());
    EXPECT_GE(grid->horizontalHeader()->height(), metrics.height());
    EXPECT_EQ(grid->horizontalHeader()->font(), grid->font());
    EXPECT_GE(grid->verticalHeader()->width(), metrics.horizontalAdvance(u"3"_s));

    for (int step = 0; step < 20; ++step) // a window edge dragged back in small steps
        window->resize(window->size() - QSize(window->width() / 40, window->height() / 40));
    window->resize(window->minimumSize());
    EXPECT_NEAR(grid->columnWidth(0), designWidth, 2);
    EXPECT_NEAR(grid->columnWidth(1), 150, 2);
    EXPECT_EQ(grid->rowHeight(0), QFontMetrics(grid->font()).height() + 4);
}

TEST_F(QueryWindowTest, NumbersAreAlignedRightAndTextsLeft)
{
    run(u"SELECT file, Bytes, Created FROM Detail ORDER BY file"_s);
    const auto alignment = [this](int column) {
        return model()->index(0, column).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
               Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(model()->index(0, 1).data().toString(), u"10"_s);
    EXPECT_EQ(alignment(1), Qt::AlignRight);
    EXPECT_EQ(alignment(0), Qt::Alignment());
    EXPECT_EQ(alignment(2), Qt::Alignment()); // unset
}

TEST_F(QueryWindowTest, ASortTheEngineRejectsSaysSoAndKeepsTheRows)
{
    run(u"SELECT * FROM (SELECT * FROM Detail ORDER BY file) AS x"_s);
    window->sortByColumn(0);
    EXPECT_EQ(sortLabel(), u"Can't sort!"_s);
    EXPECT_EQ(model()->statement(), u"SELECT * FROM (SELECT * FROM Detail ORDER BY file) AS x"_s);
    EXPECT_EQ(model()->rowCount(), 3);
    EXPECT_TRUE(user.messages.isEmpty());
}

TEST_F(QueryWindowTest, EscapeClosesTheWindowAndItsSizeIsRemembered)
{
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(store.get(u"Options"_s, u"Width2"_s, {}).isEmpty());
    EXPECT_FALSE(store.get(u"Options"_s, u"Height2"_s, {}).isEmpty());
}

TEST_F(QueryWindowTest, EscapeOnTheOpenTableListClosesOnlyTheList)
{
    control<QComboBox>(u"Combo1"_s)->showPopup();
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(QueryWindowTest, WithoutADatabaseTheWindowOpensEmptyAndEveryRunReportsWhy)
{
    window.reset();
    ASSERT_TRUE(QFile::remove(folder.temp.path));
    window = std::make_unique<QueryWindow>(nullptr, store, user);
    EXPECT_EQ(caption(), u"0 records"_s);
    EXPECT_FALSE(shown(u"Command6"_s));
    run(u"SELECT * FROM Detail"_s);
    ASSERT_EQ(user.messages.size(), 1);
    EXPECT_TRUE(lastMessage().startsWith(u"Error "_s));
    EXPECT_FALSE(QFile::exists(folder.temp.path));
}

} // namespace
