#pragma once

#include <QIcon>

namespace corvane {

// The program's emblem in every size it ships (16 to 256 pixels), for the windows,
// the tray and the about box.
QIcon applicationIcon();

} // namespace corvane
