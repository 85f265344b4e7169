#pragma once

#include "gui/ui/FileDialogs.h"

#include <QString>

class QWidget;

namespace corvane {

// Everything the query window asks the user or hands to the desktop beyond its own controls:
// file dialogs, input boxes, message boxes with their own titles, opening a file in the
// desktop's program for it. Tests replace it with a scripted user.
class QueryUser : public FileDialogs
{
public:
    enum class Icon
    {
        None,
        Warning,
        Question
    };

    // An input box; empty text when cancelled.
    virtual QString askText(QWidget* owner, const QString& prompt, const QString& title,
                            const QString& defaultText) = 0;
    virtual void showMessage(QWidget* owner, const QString& text, const QString& title, Icon icon) = 0;
    // Yes and No with the question icon, title "Corvane Net"; true for Yes.
    virtual bool askYesNo(QWidget* owner, const QString& question) = 0;
    // Opens the file with the desktop's program for its type; false when that failed.
    virtual bool openDocument(const QString& path) = 0;
    virtual void beep() = 0;
};

// The real dialogs and the desktop.
class DesktopQueryUser final : public QueryUser
{
public:
    QString showOpenDialog(QWidget* owner, const QString& filter, const QString& title,
                           const QString& folder) override;
    QString showSaveDialog(QWidget* owner, const QString& filter, const QString& title,
                           const QString& folder) override;
    QString askText(QWidget* owner, const QString& prompt, const QString& title,
                    const QString& defaultText) override;
    void showMessage(QWidget* owner, const QString& text, const QString& title, Icon icon) override;
    bool askYesNo(QWidget* owner, const QString& question) override;
    bool openDocument(const QString& path) override;
    void beep() override;
};

} // namespace corvane
