#pragma once

#include "core/db/DbError.h"

#include <QString>

namespace corvane {

class PgConnection;

// A station's session: its run and purges see its own schema first, so they touch its rows
// only. The session holds the station's advisory lock until it closes, so a second run of the
// station is refused as a second writer of cv.mdb is, and records this host's claim on the
// name; a name claimed by another host is refused. A role that may only read is refused with
// the read-only error when it claims the name.
DbError openStationSession(PgConnection& connection, const QString& connectionText, const QString& station,
                           const QString& host);

// A reader's session (the query window, the charts, cv --query): every station's rows through
// the shared views, nothing written, and no statement longer than statementTimeoutMs.
DbError openReaderSession(PgConnection& connection, const QString& connectionText, int statementTimeoutMs);

} // namespace corvane
