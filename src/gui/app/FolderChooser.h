#pragma once

#include <QString>

class QWidget;

namespace corvane {

// The folder picker of "&Add": the chosen folder's path, or empty text when the user
// cancels. Tests put a scripted one in its place.
class FolderChooser
{
public:
    virtual ~FolderChooser() = default;
    virtual QString BrowseForFolder(QWidget* owner, const QString& title, const QString& startFolder) = 0;
};

// The desktop's folder dialog, offering file-system folders only.
class DialogFolderChooser : public FolderChooser
{
public:
    QString BrowseForFolder(QWidget* owner, const QString& title, const QString& startFolder) override;
};

} // namespace corvane
