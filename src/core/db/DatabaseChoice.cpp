#include "core/db/DatabaseChoice.h"

#include "core/common/AppFolder.h"

#include <QSysInfo>

namespace corvane {

namespace {

AuditDatabaseChoice& choice()
{
    static AuditDatabaseChoice chosen;
    return chosen;
}

} // namespace

void chooseAuditDatabase(const AuditDatabaseChoice& chosen)
{
    choice() = chosen;
}

DatabaseName chosenDatabaseName()
{
    return parseDatabaseName(choice().text, applicationFolder() + QStringLiteral("cv.mdb"));
}

QString auditDatabaseName()
{
    return chosenDatabaseName().text;
}

QString stationName()
{
    return choice().station.isEmpty() ? QSysInfo::machineHostName() : choice().station;
}

} // namespace corvane
