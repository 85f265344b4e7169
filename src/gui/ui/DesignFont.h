#pragma once

#include <QFont>

class QWidget;

namespace corvane {

// The font the windows were laid out for: a small sans serif of Arial's metrics. Liberation
// Sans (fonts-liberation) has those metrics exactly, so captions fit their controls as
// designed; a wider fallback would cut them.
QFont designFont(QFont font, qreal pointSize = 8);

// Gives the window and its controls the design font; call it before the controls are placed.
void useDesignFont(QWidget* window);

} // namespace corvane
