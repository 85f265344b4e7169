#pragma once

#include <QTextStream>

namespace corvane::cli {

// `cv --write-timer`: writes the stored start time of the timed scan into a drop-in of the systemd
// user timer corvane-net-scan.timer ($XDG_CONFIG_HOME/systemd/user/corvane-net-scan.timer.d/
// start-time.conf), so that the timer starts `cv --scan` daily at the time the main window shows.
// The timer cannot read the settings itself; the drop-in is written again whenever this runs.
int runWriteTimerCommand(QTextStream& out, QTextStream& err);

} // namespace corvane::cli
