#pragma once

#include <QStringList>

namespace corvane {

// The timed start of the main window: "-t" alone, in any case and with blanks around it, as the
// start-at-boot entry and old shortcuts give it.
bool isTimedStart(const QStringList& arguments);

// Whether the program's arguments (the program itself first) open the main window: none, or the
// timed start. Everything else is the command line's, which runs without a display.
bool opensMainWindow(const QStringList& arguments);

} // namespace corvane
