#pragma once

#include <QString>

class QPushButton;
class QWidget;

namespace corvane {

// A named button of a window with its tool tip. It never becomes the default button, so Enter in
// a text box does not press it.
QPushButton* addCommandButton(QWidget* window, const QString& name, const QString& caption,
                              const QString& toolTip);

} // namespace corvane
