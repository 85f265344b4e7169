#pragma once

#include <QString>

namespace corvane {

// What the core may show or ask; the windows, the terminal and the tests implement it.
// Every message box of the program is titled "Corvane Net", so the title is not passed.
class UserInterfacePort
{
public:
    enum class Icon { None, Warning, Question, Information };
    enum class Answer { Ok, Yes, No };

    virtual ~UserInterfacePort() = default;

    // A message box with an OK button only.
    virtual void showMessage(const QString& text, Icon icon) = 0;
    // A Yes/No question with the question icon; defaultAnswer is Yes or No.
    virtual Answer askYesNo(const QString& question, Answer defaultAnswer) = 0;

    // The "System Messages" box: replace its text, or add to it.
    virtual void showStatus(const QString& text) = 0;
    virtual void appendStatus(const QString& text) = 0;

    virtual void beep() = 0;
    virtual void setWaitCursor(bool waiting) = 0;
    // Handle pending user events (Stop, tray icon) in the middle of a long operation.
    virtual void yield() = 0;
};

} // namespace corvane
