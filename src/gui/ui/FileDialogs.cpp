#include "gui/ui/FileDialogs.h"

#include "core/query/QueryTexts.h"

#include <QFileDialog>

namespace corvane {

QString DesktopFileDialogs::showOpenDialog(QWidget* owner, const QString& filter, const QString& title,
                                           const QString& folder)
{
    return QFileDialog::getOpenFileName(owner, title, folder, qtFileFilter(filter)).trimmed();
}

QString DesktopFileDialogs::showSaveDialog(QWidget* owner, const QString& filter, const QString& title,
                                           const QString& folder)
{
    // The dialog itself asks before replacing a file.
    return QFileDialog::getSaveFileName(owner, title, folder, qtFileFilter(filter)).trimmed();
}

} // namespace corvane
