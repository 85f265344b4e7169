#include "core/db/DatabaseOpening.h"

#include "core/common/AppFolder.h"
#include "core/common/UserInterfacePort.h"
#include "core/db/DatabaseChoice.h"
#include "core/db/postgresql/DatabaseName.h"

#include <QFileInfo>

namespace corvane {

bool FileExists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

QString auditDatabasePath()
{
    return applicationFolder() + QStringLiteral("cv.mdb");
}

DbError connectAuditDatabase(AuditDatabase& database, const QString& databaseName, AuditDatabase::Access access)
{
    const DatabaseName name = parseDatabaseName(databaseName, auditDatabasePath());
    if (name.isPostgreSql())
        return database.openCentral(name.text, stationName(), access);
    return database.open(name.text, access);
}

QString missingDatabaseText(const QString& databasePath)
{
    const QString installed = installedCopiesFolder(programFolder()) + QStringLiteral("cv.mdb");
    const QString emptyDatabase = FileExists(installed) && QFileInfo(installed) != QFileInfo(databasePath)
                                      ? installed
                                      : QStringLiteral("an empty cv.mdb of this version");
    return QStringLiteral("Database file ") + databasePath + QStringLiteral(" does not exist.\r\n") +
           QStringLiteral("Restore it from a backup, or start afresh with an empty audit database: copy ") +
           emptyDatabase + QStringLiteral(" to ") + databasePath + QLatin1Char('.');
}

QString openFailureText(const QString& databasePath, const DbError& error)
{
    // The error may name the database too.
    const QString shown = maskedConnectionText(databasePath);
    return QStringLiteral("Unable to open database ") + shown + QStringLiteral(".\r\n") +
           error.text().replace(databasePath, shown);
}

OpenOutcome OpenAuditDatabase(AuditDatabase& database, UserInterfacePort& ui, const QString& databasePath)
{
    const DbError error = connectAuditDatabase(database, databasePath, AuditDatabase::Access::ReadWrite);
    if (!error.isError())
        return OpenOutcome::Opened;
    if (error.number == AuditDatabase::cannotCreateConnection) {
        ui.showMessage(error.text(), UserInterfacePort::Icon::Warning);
        return OpenOutcome::ProgramMustEnd;
    }
    ui.showStatus(openFailureText(databasePath, error));
    return OpenOutcome::Failed;
}

} // namespace corvane
