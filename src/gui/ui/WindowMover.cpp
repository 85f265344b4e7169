#include "gui/ui/WindowMover.h"

#include "gui/ui/WindowSize.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace corvane {

namespace {

bool isOnElementItself(const QWidget* element, const QMouseEvent* event)
{
    return element->childAt(event->position().toPoint()) == nullptr;
}

} // namespace

WindowMover::WindowMover(QWidget* window, const QList<QWidget*>& elements) : QObject(window), m_window(window)
{
    for (QWidget* element : elements)
        element->installEventFilter(this);
}

bool WindowMover::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        return handleMouseEvent(static_cast<QWidget*>(watched), static_cast<QMouseEvent*>(event));
    default:
        return false;
    }
}

bool WindowMover::handleMouseEvent(QWidget* element, QMouseEvent* event)
{
    const QPoint cursor = event->globalPosition().toPoint();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (event->button() != Qt::LeftButton || !isOnElementItself(element, event))
            return false;
        startDrag(event);
        return true;
    case QEvent::MouseButtonDblClick:
        if (event->button() != Qt::LeftButton || !isOnElementItself(element, event))
            return false;
        m_dragOffset.reset();
        centreWindow(m_window);
        return true;
    case QEvent::MouseMove:
        if (!m_dragOffset || !(event->buttons() & Qt::LeftButton))
            return false;
        m_window->move(cursor - *m_dragOffset);
        return true;
    default:
        if (event->button() == Qt::LeftButton)
            m_dragOffset.reset();
        return false;
    }
}

void WindowMover::startDrag(const QMouseEvent* event)
{
    // The window manager moves the window where it can; elsewhere we follow the mouse.
    QWindow* handle = m_window->windowHandle();
    if (handle != nullptr && handle->startSystemMove())
        return;
    m_dragOffset = event->globalPosition().toPoint() - m_window->pos();
}

} // namespace corvane
