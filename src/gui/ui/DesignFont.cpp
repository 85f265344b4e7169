#include "gui/ui/DesignFont.h"

#include <QWidget>

namespace corvane {

QFont designFont(QFont font, qreal pointSize)
{
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    return font;
}

void useDesignFont(QWidget* window)
{
    window->setFont(designFont(window->font()));
}

} // namespace corvane
