#pragma once

#include "cli/TerminalUserInterface.h"

namespace corvane::cli {

// `cv --purge-today` and `cv --purge-all`: the purges of the main window, asked and reported
// on the terminal. 0 when the data was purged, 1 when there was nothing to purge, the answer
// was No or the purge failed (the database's error on standard error, nothing deleted).
int runPurgeTodayCommand(TerminalUserInterface::Answering answering);
int runPurgeAllCommand(TerminalUserInterface::Answering answering);

} // namespace corvane::cli
