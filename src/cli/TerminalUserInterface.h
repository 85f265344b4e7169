#pragma once

#include "core/common/UserInterfacePort.h"

#include <QTextStream>

namespace corvane::cli {

// The user-interface port on a terminal: status texts on standard output, warnings on
// standard error, questions asked there and answered on standard input (an empty line or
// the end of input takes the default button), or answered Yes at once for `--yes`.
class TerminalUserInterface final : public UserInterfacePort
{
public:
    enum class Answering
    {
        Ask,
        AlwaysYes
    };

    TerminalUserInterface(Answering answering, QTextStream& in, QTextStream& out, QTextStream& err);

    void showMessage(const QString& text, Icon icon) override;
    Answer askYesNo(const QString& question, Answer defaultAnswer) override;
    void showStatus(const QString& text) override;
    void appendStatus(const QString& text) override;
    void beep() override;
    void setWaitCursor(bool) override {}
    void yield() override;

private:
    Answering m_answering;
    QTextStream& m_in;
    QTextStream& m_out;
    QTextStream& m_err;
};

// Message texts use CR LF between lines, as the windows show them; a terminal wants LF.
QString terminalText(const QString& text);

} // namespace corvane::cli
