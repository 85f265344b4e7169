#include "gui/ui/MessageBoxes.h"

#include <QMessageBox>

namespace corvane {

namespace {

QMessageBox::Icon boxIcon(MessageBoxes::Icon icon)
{
    switch (icon) {
    case MessageBoxes::Icon::Warning:
        return QMessageBox::Warning;
    case MessageBoxes::Icon::Question:
        return QMessageBox::Question;
    case MessageBoxes::Icon::Information:
        return QMessageBox::Information;
    case MessageBoxes::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// A box is centred on its parent's window; one not shown yet (a window that reports a failure
// while it opens) has no place on the screen, so the box goes to the window it came from.
QWidget* visibleOwner(QWidget* parent)
{
    while (parent != nullptr && !parent->isVisible())
        parent = parent->parentWidget();
    return parent;
}

} // namespace

const QString MessageBoxes::title = QStringLiteral("Corvane Net");
UserInterfacePort* MessageBoxes::s_diversion = nullptr;

void MessageBoxes::show(QWidget* parent, const QString& text, Icon icon)
{
    show(parent, text, icon, title);
}

void MessageBoxes::show(QWidget* parent, const QString& text, Icon icon, const QString& boxTitle)
{
    if (s_diversion != nullptr) {
        s_diversion->showMessage(text, icon);
        return;
    }
    QMessageBox box(boxIcon(icon), boxTitle, text, QMessageBox::Ok, visibleOwner(parent));
    box.exec();
}

MessageBoxes::Answer MessageBoxes::askYesNo(QWidget* parent, const QString& question, Answer defaultAnswer)
{
    if (s_diversion != nullptr)
        return s_diversion->askYesNo(question, defaultAnswer);
    QMessageBox box(QMessageBox::Question, title, question, QMessageBox::Yes | QMessageBox::No,
                    visibleOwner(parent));
    box.setDefaultButton(defaultAnswer == Answer::Yes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void MessageBoxes::divertTo(UserInterfacePort* port)
{
    s_diversion = port;
}

} // namespace corvane
