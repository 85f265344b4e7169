#include "gui/ui/WindowLayout.h"

#include <QFrame>
#include <QGroupBox>
#include <QLayout>

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

// Containers whose children are controls of the window; the children of any other
// widget (a list's viewport, a spin box's line edit) are its own business.
bool isPlainContainer(const QWidget* widget)
{
    const QMetaObject* type = widget->metaObject();
    return type == &QWidget::staticMetaObject || type == &QFrame::staticMetaObject ||
           qobject_cast<const QGroupBox*>(widget) != nullptr;
}

bool isManagedByLayout(const QWidget* widget)
{
    const QLayout* layout = widget->parentWidget()->layout();
    return layout != nullptr && layout->indexOf(widget) >= 0;
}

WindowLayout::Control recordControl(QWidget* widget)
{
    WindowLayout::Control control{widget, widget->geometry()};
    const QFont font = widget->font();
    control.fontInPixels = font.pointSizeF() <= 0;
    control.fontSize = control.fontInPixels ? font.pixelSize() : font.pointSizeF();
    return control;
}

void recordControlsOf(QWidget* container, QList<WindowLayout::Control>& controls)
{
    const auto children = container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        if (child->isWindow())
            continue;
        if (!isManagedByLayout(child))
            controls.append(recordControl(child));
        if (isPlainContainer(child))
            recordControlsOf(child, controls);
    }
}

int scaled(int designValue, double factor)
{
    return static_cast<int>(std::lround(designValue * factor));
}

void scaleFont(QWidget* widget, const WindowLayout::Control& control, double factor)
{
    const double size = control.fontSize * factor;
    // A size the font cannot take (a window shrunk to nothing) leaves the font as it is.
    if (control.fontSize <= 0 || size < 1)
        return;
    QFont font = widget->font();
    if (control.fontInPixels)
        font.setPixelSize(static_cast<int>(std::lround(size)));
    else
        font.setPointSizeF(size);
    widget->setFont(font);
}

} // namespace

void RecordLayout(QWidget* window, WindowLayout& layout)
{
    layout.clientSize = window->size();
    layout.controls.clear();
    recordControlsOf(window, layout.controls);
}

void ResizeLayout(QWidget* window, const WindowLayout& layout)
{
    if (layout.clientSize.isEmpty())
        return;
    const double x = static_cast<double>(window->width()) / layout.clientSize.width();
    const double y = static_cast<double>(window->height()) / layout.clientSize.height();
    const double fontFactor = std::min(x, y);
    for (const WindowLayout::Control& control : layout.controls) {
        QWidget* widget = control.widget.data();
        if (widget == nullptr)
            continue;
        scaleFont(widget, control, fontFactor);
        const QRect& design = control.geometry;
        widget->setGeometry(scaled(design.x(), x), scaled(design.y(), y), scaled(design.width(), x),
                            scaled(design.height(), y));
    }
}

} // namespace corvane
