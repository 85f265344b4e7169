#pragma once

#include "core/common/UserInterfacePort.h"

#include <QString>

class QWidget;

namespace corvane {

// The program's message boxes, all titled "Corvane Net" and centred on the window they are
// about. Tests divert them to a scripted user interface, which records every message and
// answers every question without a modal loop.
class MessageBoxes
{
public:
    using Icon = UserInterfacePort::Icon;
    using Answer = UserInterfacePort::Answer;

    static const QString title;

    // A notice or an error with an OK button.
    static void show(QWidget* parent, const QString& text, Icon icon = Icon::Warning);
    // The same under another title, for the few boxes titled otherwise.
    static void show(QWidget* parent, const QString& text, Icon icon, const QString& boxTitle);
    // Yes and No with the question icon; defaultAnswer is Yes or No.
    static Answer askYesNo(QWidget* parent, const QString& question, Answer defaultAnswer);

    // While set, no box is shown: messages and questions go to this port instead.
    static void divertTo(UserInterfacePort* port);

private:
    static UserInterfacePort* s_diversion;
};

} // namespace corvane
