#pragma once

#include "core/settings/SettingsStore.h"
#include "gui/ui/WindowLayout.h"

#include <QList>
#include <QObject>
#include <QSizeF>
#include <QString>

class QWidget;

namespace corvane {

// The behaviour the resizable windows share: proportional layout, the size limits
// (design size to screen size), moving and centring by background, labels and
// frames, and the window size remembered under "Height"/"Width" + keySuffix.
//
// Attach it at the end of the window's constructor, once every control is placed
// and while the window has its design size; the window owns it:
//     new WindowBehaviour(this, store, QStringLiteral("2"), {Label1, Label2});
// The registry behind the store must outlive the window.
class WindowBehaviour : public QObject
{
    Q_OBJECT

public:
    WindowBehaviour(QWidget* window, const SettingsStore& store, const QString& keySuffix,
                    const QList<QWidget*>& moveElements);

    // The window's size as it is stored: the client area, in twips.
    QSizeF windowSizeTwips() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    SettingsStore m_store;
    QString m_keySuffix;
    WindowLayout m_layout;
};

} // namespace corvane
