#pragma once

#include <QPointF>
#include <QSizeF>
#include <QString>

class QWidget;

namespace corvane {

class SettingsStore;

// Every window that remembers its size is designed at this size, in twips.
constexpr double designWidthTwips = 9735;
constexpr double designHeightTwips = 6150;

// The smallest and largest size the user can give the window, in twips. The
// windowing layer enforces them, so no registry of windows is needed.
void LimitWindowSize(QWidget* window, int minWidthTwips, int minHeightTwips, int maxWidthTwips,
                     int maxHeightTwips);

// The size of the screen that shows the window, in twips.
QSizeF screenSizeTwips(const QWidget* window);

// Where a window of the given size goes on the screen when centred: in the middle
// across, a little above the middle down. All in twips.
QPointF centredPosition(const QSizeF& screenTwips, const QSizeF& windowTwips);
// Moves the window there; its size does not change.
void centreWindow(QWidget* window);

// The window size stored under "Height" + suffix and "Width" + suffix in section
// "Options"; a missing value or one that is not a number gives the design size.
QSizeF storedWindowSize(const SettingsStore& store, const QString& keySuffix);
void storeWindowSize(SettingsStore& store, const QString& keySuffix, const QSizeF& sizeTwips);

} // namespace corvane
