#pragma once

#include <QStringList>
#include <QTextStream>

namespace corvane::cli {

// `cv --copy-to DATABASE`: this machine's cv.mdb (the application folder's) goes into the central
// database DATABASE as this station's rows, the rows copied before left out. One line per table
// with the rows copied, then the total, on out; progress on err. Exit status 0 when all was
// copied, 1 with one line on err when nothing was (the central database keeps nothing of a
// copy that failed), 2 for a wrong option.
int runCopyToCommand(const QStringList& options, QTextStream& out, QTextStream& err);

} // namespace corvane::cli
