#include "gui/app/FolderChooser.h"

#include <QFileDialog>

namespace corvane {

QString DialogFolderChooser::BrowseForFolder(QWidget* owner, const QString& title, const QString& startFolder)
{
    return QFileDialog::getExistingDirectory(owner, title, startFolder, QFileDialog::ShowDirsOnly);
}

} // namespace corvane
