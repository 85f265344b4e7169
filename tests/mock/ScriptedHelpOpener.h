#pragma once

#include "gui/ui/HelpFile.h"

#include <QApplication>
#include <QDialog>
#include <QPlainTextEdit>
#include <QStringList>

namespace corvane::test {

// Records every file handed to the desktop and answers at once whether a program took it.
struct ScriptedHelpOpener : TextFileOpener
{
    void open(const QString& path, Answer answer) override
    {
        opened.append(path);
        answer(programTakesIt);
    }

    QStringList opened;
    bool programTakesIt = true;
};

// The program's own window of a text file, when one is open.
inline QDialog* openTextFileWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("textFileWindow") && widget->isVisible())
            return qobject_cast<QDialog*>(widget);
    }
    return nullptr;
}

inline QString textOf(const QDialog& window)
{
    const auto* view = window.findChild<QPlainTextEdit*>();
    return view != nullptr ? view->toPlainText() : QString();
}

} // namespace corvane::test
