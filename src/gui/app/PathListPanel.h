#pragma once

#include "gui/app/Form1Controls.h"

#include <QObject>

class QListWidgetItem;

namespace corvane {

class FolderChooser;
class PathListEditor;

// The path list, its buttons and the file-pattern box over the list's rules: List2 shows the
// entries with their "include subdirectories" marks, Text3 the current entry's specs.
class PathListPanel : public QObject
{
    Q_OBJECT

public:
    PathListPanel(const Form1Controls& controls, PathListEditor& list, FolderChooser& chooser,
                  QString applicationFolder, QObject* parent);

    // Fills the list from the entries, the current one selected and its specs shown.
    void showEntries();

private:
    void Command3_Click(); // "&Add"
    void Command4_Click(); // "&Delete"
    void Command5_Click(); // "D&elete All"
    void List2_Click(QListWidgetItem* item);
    void List2_CurrentChange(int row);
    void List2_ItemCheck(QListWidgetItem* item);
    void Text3_Change();
    void showCurrentSpecs();

    const Form1Controls& m_c;
    PathListEditor& m_list;
    FolderChooser& m_chooser;
    QString m_applicationFolder;
};

} // namespace corvane
