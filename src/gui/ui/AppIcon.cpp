#include "gui/ui/AppIcon.h"

namespace corvane {

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/corvane-net-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace corvane
