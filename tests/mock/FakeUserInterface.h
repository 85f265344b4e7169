#pragma once

#include "core/common/UserInterfacePort.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace corvane::test {

// A scripted user: answers questions from a queue (else with the default button)
// and records everything it was shown.
class FakeUserInterface : public UserInterfacePort
{
public:
    struct Message
    {
        QString text;
        Icon icon;
    };

    void showMessage(const QString& text, Icon icon) override { messages.append({text, icon}); }
    Answer askYesNo(const QString& question, Answer defaultAnswer) override
    {
        questions.append(question);
        return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
    }
    void showStatus(const QString& text) override { status = text; statusHistory.append(text); }
    void appendStatus(const QString& text) override { status += text; statusHistory.append(status); }
    void beep() override { ++beeps; }
    void setWaitCursor(bool waiting) override { waitCursor = waiting; }
    void yield() override
    {
        ++yields;
        if (onYield)
            onYield();
    }

    QList<Message> messages;
    QStringList questions;
    QList<Answer> answers;
    QString status;
    QStringList statusHistory;
    int beeps = 0;
    int yields = 0;
    void setBusy(bool isBusy) override { busy = isBusy; busyHistory.append(isBusy); }
    void setStopVisible(bool visible) override { stopVisible = visible; }
    void showLastScan(const QString& text) override { lastScanLine = text; }
    void quit() override { ++quits; }
    bool quitRequested() const override { return closing; }

    std::function<void()> onYield; // what a user does meanwhile, e.g. press Stop
    bool waitCursor = false;
    bool busy = false;
    QList<bool> busyHistory;
    bool stopVisible = false;
    QString lastScanLine;
    int quits = 0;
    bool closing = false; // the user closed the main window
};

} // namespace corvane::test
