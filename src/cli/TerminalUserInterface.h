#pragma once

#include "core/common/UserInterfacePort.h"

#include <QElapsedTimer>
#include <QTextStream>

#include <functional>

namespace corvane::cli {

class InterruptSignal;

// The user-interface port on a terminal: status texts on the status stream (standard output, or
// standard error where standard output carries a result), warnings on standard error, questions
// asked there and answered on standard input (an empty line or the end of input takes the
// default button), answered Yes at once for `--yes`, or with the default button at once.
class TerminalUserInterface final : public UserInterfacePort
{
public:
    enum class Answering
    {
        Ask,
        AlwaysYes,
        DefaultButton
    };

    TerminalUserInterface(Answering answering, QTextStream& in, QTextStream& status, QTextStream& err);

    void showMessage(const QString& text, Icon icon) override;
    Answer askYesNo(const QString& question, Answer defaultAnswer) override;
    void showStatus(const QString& text) override;
    void appendStatus(const QString& text) override;
    void beep() override;
    void setWaitCursor(bool) override {}
    void yield() override;
    void waitForEvents(int maxMilliseconds) override;

    // Ctrl-C, seen at the next yield or wait, calls onInterrupt (Stop).
    void stopOnInterrupt(InterruptSignal& interrupts, std::function<void()> onInterrupt);

private:
    Answering m_answering;
    QTextStream& m_in;
    QTextStream& m_status;
    QTextStream& m_err;
    QElapsedTimer m_sinceEvents;
    InterruptSignal* m_interrupts = nullptr;
    std::function<void()> m_onInterrupt;
};

// Message texts use CR LF between lines, as the windows show them; a terminal wants LF.
QString terminalText(const QString& text);

} // namespace corvane::cli
