#include "gui/query/QueryUser.h"

#include "gui/ui/MessageBoxes.h"

#include <QApplication>
#include <QDesktopServices>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

namespace corvane {

QString DesktopQueryUser::showOpenDialog(QWidget* owner, const QString& filter, const QString& title,
                                         const QString& folder)
{
    return DesktopFileDialogs().showOpenDialog(owner, filter, title, folder);
}

QString DesktopQueryUser::showSaveDialog(QWidget* owner, const QString& filter, const QString& title,
                                         const QString& folder)
{
    return DesktopFileDialogs().showSaveDialog(owner, filter, title, folder);
}

QString DesktopQueryUser::askText(QWidget* owner, const QString& prompt, const QString& title,
                                  const QString& defaultText)
{
    return QInputDialog::getText(owner, title, prompt, QLineEdit::Normal, defaultText);
}

void DesktopQueryUser::showMessage(QWidget* owner, const QString& text, const QString& title, Icon icon)
{
    const MessageBoxes::Icon boxIcon = icon == Icon::Warning    ? MessageBoxes::Icon::Warning
                                       : icon == Icon::Question ? MessageBoxes::Icon::Question
                                                                : MessageBoxes::Icon::None;
    MessageBoxes::show(owner, text, boxIcon, title);
}

bool DesktopQueryUser::askYesNo(QWidget* owner, const QString& question)
{
    return MessageBoxes::askYesNo(owner, question, MessageBoxes::Answer::Yes) == MessageBoxes::Answer::Yes;
}

bool DesktopQueryUser::openDocument(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void DesktopQueryUser::beep()
{
    QApplication::beep();
}

} // namespace corvane
