#include "gui/query/QueryWindow.h"

#include "core/db/DatabaseChoice.h"
#include "core/db/DatabaseOpening.h"
#include "gui/query/GridFontFollower.h"
#include "gui/query/QueryModel.h"
#include "gui/query/QueryOutput.h"
#include "gui/query/QueryUser.h"
#include "gui/query/WaitCursor.h"
#include "gui/ui/CommandButton.h"
#include "gui/ui/DesignFont.h"
#include "gui/ui/MessageBoxes.h"
#include "gui/ui/Twips.h"
#include "gui/ui/WindowBehaviour.h"
#include "gui/ui/WindowSize.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

using namespace Qt::StringLiterals;

#include <algorithm>

namespace corvane {

namespace {

const QString sortHint = u"Click on field heading to sort on that field"_s;
// While a central result is counted on its own thread.
const QString countingCaption = u"Counting records..."_s;

} // namespace

QueryWindow::QueryWindow(QWidget* parent, SettingsStore& store)
    : QueryWindow(parent, store, *new DesktopQueryUser)
{
    m_ownUser.reset(&m_user);
}

QueryWindow::QueryWindow(QWidget* parent, SettingsStore& store, QueryUser& user)
    : QDialog(parent), m_user(user), m_model(std::make_unique<QueryModel>(m_database)),
      m_output(std::make_unique<QueryOutput>(this, user, *m_model)),
      m_tableLabel(new QLabel(u"Select Table"_s, this)), m_picker(new QComboBox(this)),
      m_grid(new QTableView(this)), m_status(new QLabel(this)), m_sortLabel(new QLabel(sortHint, this)),
      m_statementBox(new QPlainTextEdit(this)),
      m_openFile(addCommandButton(this, u"Command1"_s, u"&Open File"_s, u" Open SQL file "_s)),
      m_saveSql(addCommandButton(this, u"Command2"_s, u"&Save SQL"_s, u" Save SQL file "_s)),
      m_runSql(addCommandButton(this, u"Command3"_s, u"&Run SQL"_s, u" Run SQL in text box "_s)),
      m_clearSql(addCommandButton(this, u"Command5"_s, u"&Clear SQL"_s, u" Clear SQL in text box "_s)),
      m_print(addCommandButton(this, u"Command6"_s, u"&Print"_s, u" Print records "_s)),
      m_clipboard(addCommandButton(this, u"Command7"_s, u"Cl&ipboard"_s, u" Copy records to Clipboard "_s)),
      m_saveCsv(addCommandButton(this, u"Command8"_s, u"S&ave"_s,
                                 u" Save records to a comma seperated values (CSV) file "_s)),
      m_close(addCommandButton(this, u"Command4"_s, u"C&lose"_s, u" Close screen "_s))
{
    useDesignFont(this);
    placeControls();
    // The layout is recorded at the design size, then the remembered size is applied.
    new WindowBehaviour(this, store, u"2"_s, {m_tableLabel, m_sortLabel});
    connectControls();
    open();
}

QueryWindow::~QueryWindow() = default;

void QueryWindow::placeControls()
{
    m_tableLabel->setObjectName(u"Label1"_s);
    m_picker->setObjectName(u"Combo1"_s);
    m_grid->setObjectName(u"DataGrid1"_s);
    m_status->setObjectName(u"Adodc1"_s);
    m_sortLabel->setObjectName(u"Label2"_s);
    m_statementBox->setObjectName(u"Text1"_s);
    m_status->setFrameShape(QFrame::Panel);
    m_status->setFrameShadow(QFrame::Sunken);
    m_grid->setModel(m_model.get());
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    new GridFontFollower(m_grid);
    // In rows one line high, wrapped text would show its last line only: cut at the end instead.
    m_grid->setWordWrap(false);
    m_statementBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    resize(twipsToPixels(QSizeF(designWidthTwips, designHeightTwips), *this));
    placeInTwips(m_tableLabel, 120, 150, 1300, 285);
    placeInTwips(m_picker, 1440, 105, 3300, 345);
    placeInTwips(m_grid, 120, 540, 9495, 3180);
    placeInTwips(m_status, 120, 3780, 9495, 300);
    placeInTwips(m_sortLabel, 120, 4140, 9495, 270);
    placeInTwips(m_statementBox, 120, 4440, 9495, 1020);
    const QList<QPushButton*> buttons = {m_openFile, m_saveSql,   m_runSql,  m_clearSql,
                                         m_print,    m_clipboard, m_saveCsv, m_close};
    for (int i = 0; i < buttons.size(); ++i)
        placeInTwips(buttons[i], 120 + i * 1190, 5580, 1100, 420);
    for (QPushButton* hidden : {m_saveSql, m_runSql, m_clearSql, m_print, m_clipboard, m_saveCsv})
        hidden->hide();
}

void QueryWindow::connectControls()
{
    connect(m_picker, &QComboBox::activated, this, &QueryWindow::pickTable);
    connect(m_statementBox, &QPlainTextEdit::textChanged, this, &QueryWindow::showStatementButtons);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this, &QueryWindow::sortByColumn);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this, &QueryWindow::showPosition);
    connect(m_model.get(), &QAbstractItemModel::modelReset, this, &QueryWindow::fitColumnsToRowsOnShow);
    connect(m_model.get(), &QueryModel::totalRowsCounted, this, &QueryWindow::takeRowCount);
    connect(m_runSql, &QPushButton::clicked, this, &QueryWindow::runStatement);
    connect(m_clearSql, &QPushButton::clicked, m_statementBox, &QPlainTextEdit::clear);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_openFile, &QPushButton::clicked, this, [this] {
        const QString text = m_output->openStatementFile();
        if (text.isEmpty())
            return;
        m_statementBox->setPlainText(text);
        runStatement();
    });
    connect(m_saveSql, &QPushButton::clicked, this,
            [this] { m_output->saveStatementFile(m_statementBox->toPlainText()); });
    connect(m_print, &QPushButton::clicked, this, [this] { m_output->print(m_statementBox->toPlainText()); });
    connect(m_clipboard, &QPushButton::clicked, this, [this] { m_output->copyToClipboard(); });
    connect(m_saveCsv, &QPushButton::clicked, this, [this] {
        // Writing the file walks the rows to their end and leaves the grid on the first one.
        if (m_output->saveCsvFile())
            m_grid->setCurrentIndex(m_model->index(0, qMax(m_grid->currentIndex().column(), 0)));
    });
}

void QueryWindow::open()
{
    setWindowTitle(MessageBoxes::title + u" - Query File Information"_s);
    for (const QueryTable& table : queryTables())
        m_picker->addItem(table.entry);
    // A missing or foreign file leaves an empty grid; every statement then reports why.
    connectAuditDatabase(m_database, auditDatabaseName(), AuditDatabase::Access::ReadOnly);
    m_model->run(queryTables()[queryTableIndexOfEntry(u"File Detail"_s)].statement);
    setPickerEntry(queryTableIndexOfEntry(u"File Detail"_s));
}

void QueryWindow::setPickerEntry(int index)
{
    m_picker->setCurrentIndex(index);
    if (!m_pickerGuard)
        pickTable(index);
}

void QueryWindow::pickTable(int index)
{
    if (m_pickerGuard || index < 0 || index >= queryTables().size())
        return;
    const WaitCursor wait;
    m_model->run(queryTables()[index].statement);
    m_runTimed = false;
    showRowCount();
    resetSortHint();
    showOutputButtons();
}

void QueryWindow::runStatement()
{
    const WaitCursor wait;
    m_runTimer.start();
    const QString text = dropLeadingCommentLine(m_statementBox->toPlainText().trimmed());
    const DbError error = m_model->run(text);
    if (error.isError()) {
        // The model keeps the previous statement's rows.
        m_user.showMessage(this, error.number != 0 ? error.text() : u"Invalid SQL statement."_s,
                           MessageBoxes::title, QueryUser::Icon::Warning);
        return;
    }
    m_runTimed = true;
    showRunOutcome();
    showOutputButtons();
    const int table = recognisedTableIndex(text);
    if (table >= 0) {
        m_pickerGuard = true;
        setPickerEntry(table);
        m_pickerGuard = false;
    }
    resetSortHint();
}

void QueryWindow::sortByColumn(int column)
{
    if (m_model->totalRows() == 0)
        return;
    const WaitCursor wait;
    const SortCycle::Step step =
        m_sortCycle.next(m_model->headerData(column, Qt::Horizontal).toString(), column);
    if (m_model->run(withOrderTerm(m_model->statement(), step.orderTerm)).isError()) {
        m_sortLabel->setText(u"Can't sort!"_s);
        return;
    }
    m_sortLabel->setText(u"Sorted by "_s + step.statusWords);
}

bool QueryWindow::event(QEvent* event)
{
    // The window coming to the front again is when it repaints as a whole.
    if (event->type() == QEvent::WindowActivate)
        showRowCount();
    return QDialog::event(event);
}

void QueryWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    fitColumnsToRowsOnShow();
}

// Each column as wide as its caption and the values of the rows on show (a hidden grid shows
// none, and sizing it would read rows for nothing), but at most half the grid, so that one
// long value never hides the other columns.
void QueryWindow::fitColumnsToRowsOnShow()
{
    if (!m_grid->isVisible())
        return;
    const int cap = m_grid->viewport()->width() / 2;
    for (int column = 0; column < m_model->columnCount(); ++column) {
        m_grid->resizeColumnToContents(column);
        m_grid->setColumnWidth(column, std::min(m_grid->columnWidth(column), cap));
    }
}

void QueryWindow::showRowCount()
{
    m_status->setText(m_model->countPending() ? countingCaption : countCaption(m_model->totalRows()));
}

void QueryWindow::showRunOutcome()
{
    if (m_model->countPending())
        m_status->setText(countingCaption);
    else
        m_status->setText(timingCaption(m_model->totalRows(), static_cast<double>(m_runTimer.nsecsElapsed()) / 1e9));
}

void QueryWindow::takeRowCount(const DbError& error)
{
    if (error.isError()) {
        m_status->setText(u"The records could not be counted."_s);
        m_user.showMessage(this, error.text(), MessageBoxes::title, QueryUser::Icon::Warning);
        return;
    }
    if (m_runTimed)
        showRunOutcome();
    else
        showRowCount();
}

void QueryWindow::showOutputButtons()
{
    const bool hasRows = m_model->totalRows() != 0;
    for (QPushButton* button : {m_print, m_clipboard, m_saveCsv})
        button->setVisible(hasRows);
}

void QueryWindow::showStatementButtons()
{
    const bool hasText = !m_statementBox->toPlainText().trimmed().isEmpty();
    for (QPushButton* button : {m_saveSql, m_runSql, m_clearSql})
        button->setVisible(hasText);
}

void QueryWindow::showPosition()
{
    const QModelIndex current = m_grid->currentIndex();
    if (current.isValid())
        m_status->setText(positionCaption(current.row() + 1, m_model->totalRows()) +
                          (m_model->countPending() ? u"+"_s : QString()));
}

void QueryWindow::resetSortHint()
{
    m_sortLabel->setText(sortHint);
}

} // namespace corvane
