#pragma once

#include "core/db/AuditDatabase.h"
#include "core/query/QueryTexts.h"
#include "core/settings/SettingsStore.h"

#include <QDialog>

#include <QElapsedTimer>

#include <memory>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace corvane {

class QueryModel;
class QueryOutput;
class QueryUser;

// The query window (Form2): browse the audit tables of cv.mdb, run any statement typed or
// loaded, sort by a column heading, and hand the rows on to the printer, a CSV file or the
// clipboard. Its connection is read-only, so nothing typed here changes audit data.
class QueryWindow : public QDialog
{
    Q_OBJECT

public:
    QueryWindow(QWidget* parent, SettingsStore& store);
    // Tests pass a scripted user in place of the real dialogs and desktop.
    QueryWindow(QWidget* parent, SettingsStore& store, QueryUser& user);
    ~QueryWindow() override;

    void runStatement();
    void pickTable(int index);
    void sortByColumn(int column);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void placeControls();
    void connectControls();
    void open();
    void setPickerEntry(int index);
    void showRowCount();
    void showRunOutcome();
    void takeRowCount(const DbError& error);
    void showOutputButtons();
    void showStatementButtons();
    void showPosition();
    void resetSortHint();
    void fitColumnsToRowsOnShow();

    std::unique_ptr<QueryUser> m_ownUser;
    QueryUser& m_user;
    AuditDatabase m_database;
    std::unique_ptr<QueryModel> m_model; // before the database goes: its cursor is on it
    std::unique_ptr<QueryOutput> m_output;
    SortCycle m_sortCycle;
    bool m_pickerGuard = false;
    // From Run SQL to its rows counted, for the caption that gives the time.
    QElapsedTimer m_runTimer;
    bool m_runTimed = false;

    QLabel* m_tableLabel;
    QComboBox* m_picker;
    QTableView* m_grid;
    QLabel* m_status;
    QLabel* m_sortLabel;
    QPlainTextEdit* m_statementBox;
    QPushButton* m_openFile;
    QPushButton* m_saveSql;
    QPushButton* m_runSql;
    QPushButton* m_clearSql;
    QPushButton* m_print;
    QPushButton* m_clipboard;
    QPushButton* m_saveCsv;
    QPushButton* m_close;
};

} // namespace corvane
