#pragma once

#include "cli/TerminalUserInterface.h"

namespace corvane::cli {

// `cv --purge-today` and `cv --purge-all`: the purges of the main window, asked and reported
// on the terminal. 0 when the data was purged, 1 when there was nothing to purge or the
// answer was No.
int runPurgeTodayCommand(TerminalUserInterface::Answering answering);
int runPurgeAllCommand(TerminalUserInterface::Answering answering);

} // namespace corvane::cli
