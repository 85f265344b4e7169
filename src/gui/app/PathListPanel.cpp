#include "gui/app/PathListPanel.h"

#include "core/scan/PathListEditor.h"
#include "gui/app/FolderChooser.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace corvane {

PathListPanel::PathListPanel(const Form1Controls& controls, PathListEditor& list, FolderChooser& chooser,
                             QString applicationFolder, QObject* parent)
    : QObject(parent), m_c(controls), m_list(list), m_chooser(chooser),
      m_applicationFolder(std::move(applicationFolder))
{
    connect(m_c.Command3, &QPushButton::clicked, this, &PathListPanel::Command3_Click);
    connect(m_c.Command4, &QPushButton::clicked, this, &PathListPanel::Command4_Click);
    connect(m_c.Command5, &QPushButton::clicked, this, &PathListPanel::Command5_Click);
    connect(m_c.List2, &QListWidget::itemClicked, this, &PathListPanel::List2_Click);
    connect(m_c.List2, &QListWidget::currentRowChanged, this, &PathListPanel::List2_CurrentChange);
    connect(m_c.List2, &QListWidget::itemChanged, this, &PathListPanel::List2_ItemCheck);
    connect(m_c.Text3, &QPlainTextEdit::textChanged, this, &PathListPanel::Text3_Change);
}

void PathListPanel::showEntries()
{
    {
        const QSignalBlocker blocker(m_c.List2);
        m_c.List2->clear();
        for (const ScanPath& entry : m_list.entries()) {
            auto* item = new QListWidgetItem(entry.path, m_c.List2);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(entry.includeSubdirectories ? Qt::Checked : Qt::Unchecked);
        }
        m_c.List2->setCurrentRow(m_list.current());
    }
    showCurrentSpecs();
    const bool listed = m_list.count() > 0;
    for (QPushButton* button : {m_c.Command1, m_c.Command4, m_c.Command5})
        button->setVisible(listed);
}

void PathListPanel::Command3_Click()
{
    const QString path = m_chooser.BrowseForFolder(
        m_c.List2->window(), QStringLiteral("Select a network directory to scan"), m_applicationFolder);
    if (!path.isEmpty() && m_list.Add(path))
        showEntries();
}

void PathListPanel::Command4_Click()
{
    if (m_list.Delete(m_list.current()))
        showEntries();
}

void PathListPanel::Command5_Click()
{
    if (m_list.DeleteAll())
        showEntries();
}

void PathListPanel::List2_Click(QListWidgetItem* item)
{
    // A click on the check indicator leaves Qt's current row and highlight where they were;
    // moving them here keeps the highlight, the entry Delete removes and the specs shown as one
    // (the row change makes the entry current).
    m_c.List2->setCurrentRow(m_c.List2->row(item));
    m_c.Text3->setFocus();
}

void PathListPanel::List2_CurrentChange(int row)
{
    if (row < 0)
        return;
    m_list.setCurrent(row);
    showCurrentSpecs();
}

void PathListPanel::List2_ItemCheck(QListWidgetItem* item)
{
    m_list.setIncludeSubdirectories(m_c.List2->row(item), item->checkState() == Qt::Checked);
}

void PathListPanel::Text3_Change()
{
    m_list.setCurrentSpecs(m_c.Text3->toPlainText());
}

void PathListPanel::showCurrentSpecs()
{
    // Setting the text stores it again as the current entry's specs, as typing would.
    m_c.Text3->setPlainText(m_list.currentSpecs());
}

} // namespace corvane
