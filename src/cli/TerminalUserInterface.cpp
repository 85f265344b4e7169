#include "cli/TerminalUserInterface.h"

#include "cli/InterruptSignal.h"

#include <QCoreApplication>
#include <QThread>

#include <unistd.h>

namespace corvane::cli {

using namespace Qt::StringLiterals;

QString terminalText(const QString& text)
{
    return QString(text).replace(u"\r\n"_s, u"\n"_s);
}

TerminalUserInterface::TerminalUserInterface(Answering answering, QTextStream& in, QTextStream& status,
                                             QTextStream& err)
    : m_answering(answering), m_in(in), m_status(status), m_err(err)
{}

void TerminalUserInterface::showMessage(const QString& text, Icon icon)
{
    QTextStream& stream = icon == Icon::Warning ? m_err : m_status;
    stream << terminalText(text) << '\n';
    stream.flush();
}

UserInterfacePort::Answer TerminalUserInterface::askYesNo(const QString& question, Answer defaultAnswer)
{
    const bool yesByDefault = defaultAnswer == Answer::Yes;
    m_err << terminalText(question) << (yesByDefault ? " [Y/n] " : " [y/N] ");
    if (m_answering == Answering::AlwaysYes) {
        m_err << "yes\n";
        m_err.flush();
        return Answer::Yes;
    }
    if (m_answering == Answering::DefaultButton) {
        m_err << (yesByDefault ? "yes" : "no") << " (default)\n";
        m_err.flush();
        return defaultAnswer;
    }
    m_err.flush();
    const QString reply = m_in.readLine().trimmed().toLower();
    if (reply == u"y"_s || reply == u"yes"_s)
        return Answer::Yes;
    if (reply == u"n"_s || reply == u"no"_s)
        return Answer::No;
    return defaultAnswer;
}

void TerminalUserInterface::showStatus(const QString& text)
{
    m_status << terminalText(text) << '\n';
    m_status.flush();
}

void TerminalUserInterface::appendStatus(const QString& text)
{
    showStatus(terminalText(text).remove(0, text.startsWith(u"\r\n"_s) ? 1 : 0));
}

void TerminalUserInterface::beep()
{
    if (isatty(STDERR_FILENO)) {
        m_err << '\a';
        m_err.flush();
    }
}

// A scan yields once per file; the terminal has few events to handle, so they are looked at
// every few milliseconds only.
void TerminalUserInterface::yield()
{
    constexpr qint64 eventIntervalMilliseconds = 20;
    if (!m_sinceEvents.isValid() || m_sinceEvents.hasExpired(eventIntervalMilliseconds)) {
        QCoreApplication::processEvents();
        m_sinceEvents.start();
    }
    if (m_interrupts && m_interrupts->takeInterrupt()) {
        m_err << "Stop (Ctrl-C); press it again to end at once.\n";
        m_err.flush();
        m_onInterrupt();
    }
}

void TerminalUserInterface::waitForEvents(int maxMilliseconds)
{
    if (m_interrupts)
        m_interrupts->waitFor(maxMilliseconds);
    else
        QThread::msleep(static_cast<unsigned long>(maxMilliseconds));
    yield();
}

void TerminalUserInterface::stopOnInterrupt(InterruptSignal& interrupts, std::function<void()> onInterrupt)
{
    m_interrupts = &interrupts;
    m_onInterrupt = std::move(onInterrupt);
}

} // namespace corvane::cli
