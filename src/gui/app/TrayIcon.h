#pragma once

#include <QObject>

#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace corvane {

// The notification-area icon of the main window with its tool tip and its menu
// mnuTray ("&Restore", "&Exit"). A left click asks for the window back.
class TrayIcon : public QObject
{
    Q_OBJECT

public:
    explicit TrayIcon(QObject* parent);
    ~TrayIcon() override;

    void AddTrayIcon();
    void SetTrayTip(const QString& text);
    void RemoveTrayIcon();

    QSystemTrayIcon* icon() const { return m_icon; }
    QMenu* menu() const { return m_menu.get(); }
    QAction* mnuTrayRestore() const { return m_restore; }
    QAction* mnuTrayClose() const { return m_close; }

Q_SIGNALS:
    void restoreRequested();
    void exitRequested();

private:
    std::unique_ptr<QMenu> m_menu; // a menu has no parent widget to own it
    QAction* m_restore;
    QAction* m_close;
    QSystemTrayIcon* m_icon;
};

} // namespace corvane
