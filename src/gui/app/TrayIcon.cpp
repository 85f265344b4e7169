#include "gui/app/TrayIcon.h"

#include "gui/ui/AppIcon.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace corvane {

TrayIcon::TrayIcon(QObject* parent)
    : QObject(parent), m_menu(std::make_unique<QMenu>(QStringLiteral("Popup"))),
      m_restore(m_menu->addAction(QStringLiteral("&Restore"))),
      m_close(m_menu->addAction(QStringLiteral("&Exit"))),
      m_icon(new QSystemTrayIcon(applicationIcon(), this))
{
    m_menu->setObjectName(QStringLiteral("mnuTray"));
    m_restore->setObjectName(QStringLiteral("mnuTrayRestore"));
    m_close->setObjectName(QStringLiteral("mnuTrayClose"));
    m_restore->setEnabled(false); // the window opens in its normal state
    m_icon->setContextMenu(m_menu.get());
    connect(m_restore, &QAction::triggered, this, &TrayIcon::restoreRequested);
    connect(m_close, &QAction::triggered, this, &TrayIcon::exitRequested);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            Q_EMIT restoreRequested();
    });
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::AddTrayIcon()
{
    m_icon->show();
}

void TrayIcon::SetTrayTip(const QString& text)
{
    m_icon->setToolTip(text);
}

void TrayIcon::RemoveTrayIcon()
{
    m_icon->hide();
}

} // namespace corvane
