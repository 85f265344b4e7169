#include "gui/ui/LinkLabel.h"

#include <QMouseEvent>

namespace corvane {

const QColor LinkLabel::normalColour = QColor(0, 0, 255);
const QColor LinkLabel::hoverColour = QColor(255, 0, 0);

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    setColour(normalColour);
}

void LinkLabel::setColour(const QColor& colour)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, colour);
    setPalette(palette);
}

QColor LinkLabel::colour() const
{
    return palette().color(QPalette::WindowText);
}

void LinkLabel::enterEvent(QEnterEvent* event)
{
    setColour(hoverColour);
    QLabel::enterEvent(event);
}

void LinkLabel::mousePressEvent(QMouseEvent* event)
{
    // Accepted, so that the release comes back here.
    event->setAccepted(event->button() == Qt::LeftButton);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

} // namespace corvane
