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

QString auditColumnSpelling(const QString& name)
{
    static const QStringList columns{
        QStringLiteral("Archived"),   QStringLiteral("Archivor"),    QStringLiteral("Bytes"),
        QStringLiteral("Created"),    QStringLiteral("Date"),        QStringLiteral("Deleted"),
        QStringLiteral("Deletor"),    QStringLiteral("Directory"),   QStringLiteral("Edited"),
        QStringLiteral("Editor"),     QStringLiteral("LastAccess"),  QStringLiteral("LastArchive"),
        QStringLiteral("Modified"),   QStringLiteral("Opened"),      QStringLiteral("SysDate"),
        QStringLiteral("file"),       QStringLiteral("lastedit"),    QStringLiteral("owner"),
    };
    for (const QString& column : columns) {
        if (column.compare(name, Qt::CaseInsensitive) == 0)
            return column;
    }
    return name;
}

} // namespace corvane
