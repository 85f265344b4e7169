#include "core/db/AuditTables.h"

namespace corvane {

const QStringList& auditTableNames()
{
    static const QStringList names{
        QStringLiteral("Detail"),       QStringLiteral("NewFiles"),    QStringLiteral("OpenedFiles"),
        QStringLiteral("DeletedFiles"), QStringLiteral("EditedFiles"), QStringLiteral("ArchivedFiles"),
        QStringLiteral("DeletedDirs"),  QStringLiteral("NewDirs"),     QStringLiteral("DirActivity"),
        QStringLiteral("Temp"),
    };
    return names;
}

QStringList collectedDataTableNames()
{
    return auditTableNames().mid(0, auditTableNames().size() - 1);
}

} // namespace corvane
