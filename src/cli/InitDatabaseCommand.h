#pragma once

#include <QTextStream>

namespace corvane::cli {

// `cv --init-database`: makes what cv needs in the chosen central database for this station
// (the shared schema, the station's own, the readers' views), or finds it made already; says
// what it found in one or two lines on out. Exit status 0 when the database is ready; 1 with
// one line on err when it cannot be (no connection, another schema version, a role without
// the rights, a cv.mdb named instead of a central database).
int runInitDatabaseCommand(QTextStream& out, QTextStream& err);

} // namespace corvane::cli
