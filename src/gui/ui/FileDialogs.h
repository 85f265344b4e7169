#pragma once

#include <QString>

class QWidget;

namespace corvane {

// ShowOpenDialog and ShowSaveDialog, the file dialogs of the query window and the graph options
// window. Tests replace them with scripted answers.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;

    // The chosen path, or empty text when cancelled. The filter is in the "description|pattern"
    // form. The save dialog adds no extension to a typed name.
    virtual QString showOpenDialog(QWidget* owner, const QString& filter, const QString& title,
                                   const QString& folder) = 0;
    virtual QString showSaveDialog(QWidget* owner, const QString& filter, const QString& title,
                                   const QString& folder) = 0;
};

// The desktop's own file dialogs.
class DesktopFileDialogs final : public FileDialogs
{
public:
    QString showOpenDialog(QWidget* owner, const QString& filter, const QString& title,
                           const QString& folder) override;
    QString showSaveDialog(QWidget* owner, const QString& filter, const QString& title,
                           const QString& folder) override;
};

} // namespace corvane
