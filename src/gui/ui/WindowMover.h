#pragma once

#include <QList>
#include <QObject>
#include <QPoint>

#include <optional>

class QMouseEvent;
class QWidget;

namespace corvane {

// Lets the user move a window by its background, labels and frames as if by its title
// bar (left button), and centre it on the screen by double-clicking them. A press
// that lands on a child of an element (a button in a frame) is the child's own.
class WindowMover : public QObject
{
    Q_OBJECT

public:
    WindowMover(QWidget* window, const QList<QWidget*>& elements);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool handleMouseEvent(QWidget* element, QMouseEvent* event);
    void startDrag(const QMouseEvent* event);

    QWidget* m_window;
    // While we move the window ourselves: the cursor's offset from the window's corner.
    std::optional<QPoint> m_dragOffset;
};

} // namespace corvane
