#include "gui/query/QueryUser.h"

#include "gui/ui/MessageBoxes.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QInputDialog>
#include <QUrl>

#include <algorithm>

namespace corvane {

namespace {

// What the title bar needs for the whole title: its text, in the bold face window managers
// commonly use, and room for the bar's icon and three buttons. An input box is no wider than
// its prompt and line, which cuts a long title.
int titleBarWidth(const QWidget& box, const QString& title)
{
    QFont font = box.font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(title) + 8 * metrics.height();
}

} // namespace

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
    QInputDialog box(owner);
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(defaultText);
    box.resize(std::max(box.sizeHint().width(), titleBarWidth(box, title)), box.sizeHint().height());
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
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
