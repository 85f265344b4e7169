#include "core/graphs/CustomStatementFile.h"

#include <QFile>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace corvane {

QString customStatementFromLines(const QStringList& lines)
{
    // Joined by one blank: a statement split over lines ("...Deleted" / "FROM DirActivity") keeps
    // its words apart and means what it says, while a one-line statement has nothing joined and
    // comes through unchanged. Empty lines add nothing.
    QStringList statementLines;
    for (const QString& line : lines) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(u'\''))
            statementLines.append(trimmed);
    }
    return statementLines.join(u' ');
}

QString readCustomStatementFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream stream(&file);
    QStringList lines;
    QString line;
    while (stream.readLineInto(&line))
        lines.append(line);
    return customStatementFromLines(lines);
}

} // namespace corvane
