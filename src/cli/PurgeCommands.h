#pragma once

#include "cli/TerminalUserInterface.h"

namespace corvane {
class Clock;
class SettingsStore;
} // namespace corvane

namespace corvane::cli {

// `cv --purge-today` and `cv --purge-all`: the purges of the main window, asked and reported
// on the terminal. 0 when the data was purged, 1 when there was nothing to purge, the answer
// was No or the purge failed (the database's error on standard error, nothing deleted).
int runPurgeTodayCommand(TerminalUserInterface::Answering answering);
int runPurgeAllCommand(TerminalUserInterface::Answering answering);

// Before `cv --scan --again`: deletes what today's scans wrote, as Purge Today answered with Yes
// does, so that the scan that follows asks nothing and records the day anew. Its texts go to err.
// True when the data was purged or no scan of today stored any; false when the purge failed.
bool purgeTodayBeforeRescan(SettingsStore& settings, const Clock& clock, QTextStream& err);

} // namespace corvane::cli
