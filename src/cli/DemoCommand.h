#pragma once

#include <QTextStream>

namespace corvane::cli {

// `cv --demo`: dates the demo network of the application folder (its folder demo
// folder) to today, so that a scan today records events in every file table, and lists its
// volumes in the scan path list when they are missing, so that `cv --demo && cv --scan` is a
// first real scan.
//
// The program reads its servers from netware.conf in the application folder. When there is none,
// one is written that names the demo servers (volumes relative to the application folder, the
// same drive letters); a netware.conf of the user's is never overwritten, and when it does not
// name the demo servers the volumes are not listed.
int runDemoCommand(QTextStream& out, QTextStream& err);

} // namespace corvane::cli
