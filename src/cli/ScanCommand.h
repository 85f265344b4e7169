#pragma once

#include <QTextStream>

namespace corvane::cli {

// `cv --scan`: one scan run without windows over the stored settings, loaded as the main window
// loads them (option rules included). Questions are answered with their default button and
// echoed on err, status texts go to err, the summary to out. Ctrl-C is Stop: the run rolls back.
// With CORVANE_NET_TIMINGS set, the time of each step follows on err.
//
// A run on a day already scanned asks whether to purge today first; its default, Yes, ends the run,
// unless `--again` purged today before it.
//
// Exit status: 0 when the run completed (files found or not) or today's scan was done already,
// 130 after Ctrl-C, 1 when it did not run to its end or rows of it could not be recorded, with the
// reason on err or after the summary.
enum class Rescan
{
    AskAsTheWindowDoes,
    PurgeTodayFirst
};
int runScanCommand(Rescan rescan, QTextStream& out, QTextStream& err);

} // namespace corvane::cli
