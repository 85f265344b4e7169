#include "gui/ui/CommandButton.h"

#include <QPushButton>

namespace corvane {

QPushButton* addCommandButton(QWidget* window, const QString& name, const QString& caption,
                              const QString& toolTip)
{
    auto* button = new QPushButton(caption, window);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    button->setAutoDefault(false);
    return button;
}

} // namespace corvane
