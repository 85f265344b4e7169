#pragma once

#include "core/db/postgresql/DatabaseName.h"

#include <QString>

namespace corvane {

// The audit database this program uses, chosen once at start-up from cv --database, the
// environment's CORVANE_NET_DATABASE or the stored setting, and the station it writes as when
// that database is a central one.
struct AuditDatabaseChoice
{
    QString text;    // empty: cv.mdb in the application folder
    QString station; // empty: this machine's host name
};

void chooseAuditDatabase(const AuditDatabaseChoice& choice);

// The chosen database's name: a cv.mdb path or a PostgreSQL connection text.
QString auditDatabaseName();
DatabaseName chosenDatabaseName();
// The station's name: the chosen one, else the host name.
QString stationName();

} // namespace corvane
