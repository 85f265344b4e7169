#include "gui/ui/WindowBehaviour.h"

#include "gui/ui/Twips.h"
#include "gui/ui/WindowMover.h"
#include "gui/ui/WindowSize.h"

#include <QEvent>
#include <QMainWindow>
#include <QWidget>

#include <cmath>

namespace corvane {

namespace {

// A main window's background is its central widget.
QList<QWidget*> backgroundOf(QWidget* window)
{
    QList<QWidget*> background{window};
    if (auto* mainWindow = qobject_cast<QMainWindow*>(window); mainWindow && mainWindow->centralWidget())
        background.append(mainWindow->centralWidget());
    return background;
}

int wholeTwips(double twips)
{
    return static_cast<int>(std::lround(twips));
}

} // namespace

WindowBehaviour::WindowBehaviour(QWidget* window, const SettingsStore& store, const QString& keySuffix,
                                 const QList<QWidget*>& moveElements)
    : QObject(window), m_window(window), m_store(store), m_keySuffix(keySuffix)
{
    RecordLayout(window, m_layout);
    window->resize(twipsToPixels(storedWindowSize(m_store, m_keySuffix), *window));
    const QSizeF screen = screenSizeTwips(window);
    LimitWindowSize(window, wholeTwips(designWidthTwips), wholeTwips(designHeightTwips),
                    wholeTwips(screen.width()), wholeTwips(screen.height()));
    new WindowMover(window, backgroundOf(window) + moveElements);
    window->installEventFilter(this);
}

QSizeF WindowBehaviour::windowSizeTwips() const
{
    return pixelsToTwips(m_window->size(), *m_window);
}

bool WindowBehaviour::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::Resize)
            ResizeLayout(m_window, m_layout);
        // Dialogs that are accepted or rejected only hide, so closing is seen here.
        else if (event->type() == QEvent::Hide && !event->spontaneous())
            storeWindowSize(m_store, m_keySuffix, windowSizeTwips());
    }
    return false;
}

} // namespace corvane
