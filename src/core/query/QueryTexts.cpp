#include "core/query/QueryTexts.h"

#include "core/db/CsvWriter.h"

#include <QRegularExpression>

#include <cmath>

using namespace Qt::StringLiterals;

namespace corvane {

const QList<QueryTable>& queryTables()
{
    static const QList<QueryTable> tables = {
        {u"Archived Files"_s, u"SELECT * FROM ArchivedFiles"_s, u"archivedfiles"_s},
        {u"Deleted Directories"_s, u"SELECT * FROM DeletedDirs"_s, u"deleteddirs"_s},
        {u"Deleted Files"_s, u"SELECT * FROM DeletedFiles"_s, u"deletedfiles"_s},
        {u"Directory Activity"_s, u"SELECT * FROM DirActivity"_s, u"diractivity"_s},
        {u"Edited Files"_s, u"SELECT * FROM EditedFiles"_s, u"editedfiles"_s},
        {u"File Detail"_s, u"SELECT * FROM Detail"_s, u"detail"_s},
        {u"New Directories"_s, u"SELECT * FROM NewDirs"_s, u"newdirs"_s},
        {u"New Files"_s, u"SELECT * FROM NewFiles"_s, u"newfiles"_s},
        {u"Opened Files"_s, u"SELECT * FROM OpenedFiles"_s, u"openedfiles"_s},
    };
    return tables;
}

int queryTableIndexOfEntry(const QString& entry)
{
    const QList<QueryTable>& tables = queryTables();
    for (int i = 0; i < tables.size(); ++i) {
        if (tables[i].entry == entry)
            return i;
    }
    return -1;
}

QString dropLeadingCommentLine(const QString& text)
{
    if (!text.startsWith(u'\''))
        return text;
    // Typed text breaks lines with LF alone, statement files with CR LF; either ends the line.
    const qsizetype lineEnd = text.indexOf(QRegularExpression(u"[\r\n]"_s));
    return lineEnd < 0 ? text : text.mid(lineEnd + 1);
}

int recognisedTableIndex(const QString& statement)
{
    static const QString from = u" FROM "_s;
    const qsizetype at = statement.indexOf(from, 0, Qt::CaseInsensitive);
    if (at < 0)
        return -1;
    QString word = statement.mid(at + from.size());
    const qsizetype blank = word.indexOf(u' ');
    if (blank >= 0)
        word.truncate(blank);
    word = word.toLower();
    const QList<QueryTable>& tables = queryTables();
    for (int i = 0; i < tables.size(); ++i) {
        if (tables[i].recognisedName == word)
            return i;
    }
    return -1;
}

SortCycle::Step SortCycle::next(const QString& heading, int column)
{
    const bool descending = heading == m_lastHeading && m_lastAscending;
    m_lastHeading = heading;
    m_lastAscending = !descending;
    const QString position = QString::number(column + 1);
    if (descending)
        return {heading + u" in descending order"_s, position + u" DESC"_s};
    return {heading + u" in ascending order"_s, position + u" ASC"_s};
}

QString withOrderTerm(const QString& statement, const QString& orderTerm)
{
    static const QString orderBy = u" ORDER BY "_s;
    const qsizetype at = statement.indexOf(orderBy, 0, Qt::CaseInsensitive);
    const QString head = at < 0 ? statement + orderBy : statement.left(at + orderBy.size());
    return head + orderTerm;
}

QString countCaption(qint64 rows)
{
    return QString::number(rows) + (rows == 1 ? u" record"_s : u" records"_s);
}

QString timingCaption(qint64 rows, double seconds)
{
    return countCaption(rows) + u" in "_s + QString::number(seconds, 'f', 4) + u" seconds."_s;
}

QString positionCaption(qint64 position, qint64 rows)
{
    return u"Record "_s + QString::number(position) + u" of "_s + QString::number(rows);
}

QString csvFileName(const QString& typed)
{
    QString name = typed.toLower();
    if (!name.endsWith(u".csv"_s))
        name += u".csv"_s;
    return name;
}

QString spaceSeparatedLine(const QVariantList& values, int spaces)
{
    const QString gap(qMax(spaces, 0), u' ');
    QString line;
    for (const QVariant& value : values)
        line += CsvWriter::valueText(value) + gap;
    return line;
}

std::optional<int> spaceCount(const QString& answer)
{
    bool isNumber = false;
    const double value = answer.trimmed().toDouble(&isNumber);
    if (!isNumber || !std::isfinite(value) || std::abs(value) > 1.0e6)
        return std::nullopt;
    return static_cast<int>(std::lround(value));
}

QString listingLine(const QVariantList& values)
{
    return spaceSeparatedLine(values, 2);
}

QString statementFromFileLines(const QStringList& lines)
{
    QString text;
    for (const QString& rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.startsWith(u'\'')) {
            text += line + u"\r\n"_s;
            continue;
        }
        if (line.isEmpty())
            continue;
        if (!text.isEmpty() && !text.endsWith(u'\n'))
            text += u' ';
        text += line;
    }
    return text;
}

QString qtFileFilter(const QString& filter)
{
    const QStringList parts = filter.split(u'|', Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString& pattern = parts[i + 1];
        filters.append(description.endsWith(u')') ? description : description + u" ("_s + pattern + u')');
    }
    return filters.join(u";;"_s);
}

} // namespace corvane
