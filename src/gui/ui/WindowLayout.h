#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace corvane {

// A window's design layout: its client size and every control's geometry and font
// size as they were when recorded. Positions are in pixels: the scaling factors are
// ratios, so the unit does not matter.
struct WindowLayout
{
    struct Control
    {
        QPointer<QWidget> widget;
        QRect geometry;
        // Point size, or pixel size for a font that was given in pixels; 0 when unknown.
        qreal fontSize = 0;
        bool fontInPixels = false;
    };

    QSize clientSize;
    QList<Control> controls;
};

// Fills the record from the window's current state. The controls are the widgets the
// window placed itself: children of the window and of its plain containers (group
// boxes, frames, plain widgets), except those a layout manages and other windows.
void RecordLayout(QWidget* window, WindowLayout& layout);

// Moves, stretches and scales the font of every recorded control in proportion to
// the window's current client size, always from the recorded design values.
void ResizeLayout(QWidget* window, const WindowLayout& layout);

} // namespace corvane
