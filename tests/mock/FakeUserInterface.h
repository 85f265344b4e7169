#pragma once

#include "core/common/UserInterfacePort.h"

#include <QList>
#include <QStringList>

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
    void yield() override { ++yields; }

    QList<Message> messages;
    QStringList questions;
    QList<Answer> answers;
    QString status;
    QStringList statusHistory;
    int beeps = 0;
    int yields = 0;
    bool waitCursor = false;
};

} // namespace corvane::test
