#include "gui/ui/Twips.h"

#include <QPaintDevice>
#include <QWidget>

#include <cmath>

namespace corvane {

int twipsToPixels(double twips, double dotsPerInch)
{
    return static_cast<int>(std::lround(twips * dotsPerInch / twipsPerInch));
}

double pixelsToTwips(double pixels, double dotsPerInch)
{
    return pixels * twipsPerInch / dotsPerInch;
}

QSize twipsToPixels(const QSizeF& twips, const QPaintDevice& device)
{
    return {twipsToPixels(twips.width(), device.logicalDpiX()),
            twipsToPixels(twips.height(), device.logicalDpiY())};
}

QPoint twipsToPixels(const QPointF& twips, const QPaintDevice& device)
{
    return {twipsToPixels(twips.x(), device.logicalDpiX()), twipsToPixels(twips.y(), device.logicalDpiY())};
}

QSizeF pixelsToTwips(const QSize& pixels, const QPaintDevice& device)
{
    return {pixelsToTwips(pixels.width(), device.logicalDpiX()),
            pixelsToTwips(pixels.height(), device.logicalDpiY())};
}

void placeInTwips(QWidget* control, double x, double y, double width, double height)
{
    const QWidget& window = *control->window();
    control->setGeometry(
        QRect(twipsToPixels(QPointF(x, y), window), twipsToPixels(QSizeF(width, height), window)));
}

} // namespace corvane
