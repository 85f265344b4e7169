#pragma once

#include <QPointF>
#include <QSizeF>

class QPaintDevice;
class QWidget;

namespace corvane {

// Window sizes are stored and designed in twips: 1440 to the logical inch.
constexpr double twipsPerInch = 1440.0;

// Rounded to the nearest whole pixel.
int twipsToPixels(double twips, double dotsPerInch);
double pixelsToTwips(double pixels, double dotsPerInch);

// Horizontal values use the device's horizontal logical DPI, vertical ones its vertical one.
QSize twipsToPixels(const QSizeF& twips, const QPaintDevice& device);
QPoint twipsToPixels(const QPointF& twips, const QPaintDevice& device);
QSizeF pixelsToTwips(const QSize& pixels, const QPaintDevice& device);

// Sets a control's design position and size, given in twips of its window.
void placeInTwips(QWidget* control, double x, double y, double width, double height);

} // namespace corvane
