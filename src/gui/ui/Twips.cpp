#include "gui/ui/Twips.h"

#include <QPaintDevice>

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

} // namespace corvane
