#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

namespace corvane {

// One entry of the query window's table picker: what it shows, what picking it runs, and
// the lower-case name by which a typed statement is recognised as reading that table.
struct QueryTable
{
    QString entry;
    QString statement;
    QString recognisedName;
};

// The nine audit tables the picker offers, in picker order (Temp is not offered).
const QList<QueryTable>& queryTables();
int queryTableIndexOfEntry(const QString& entry);

// A text whose first character is an apostrophe starts with a comment line: everything up to
// and including its line break is dropped. Only the first line is treated so.
QString dropLeadingCommentLine(const QString& text);

// The picker index of the table a statement reads: the word after the first " FROM " (any case),
// cut at its first blank; -1 when that word is none of the recognised names.
int recognisedTableIndex(const QString& statement);

// Sorting by a column heading: the same heading sorted ascending turns descending, anything else
// sorts ascending.
class SortCycle
{
public:
    struct Step
    {
        QString statusWords; // "Owner in ascending order"
        QString orderTerm;   // "3 ASC"
    };

    Step next(const QString& heading, int column);

private:
    QString m_lastHeading;
    bool m_lastAscending = false;
};

// The statement with everything after its first " ORDER BY " (any case) replaced by the order
// term, or " ORDER BY " and the term appended when it has none.
QString withOrderTerm(const QString& statement, const QString& orderTerm);

// Captions of the query window's status line: "1 record", "3 records in 0.0625 seconds.".
QString countCaption(qint64 rows);
QString timingCaption(qint64 rows, double seconds);
QString positionCaption(qint64 position, qint64 rows);

// The CSV file's name from what the user typed: lower case, ".csv" added when missing.
QString csvFileName(const QString& typed);

// The clipboard's space form: every value followed by the given number of spaces.
QString spaceSeparatedLine(const QVariantList& values, int spaces);
// The answer to "Number of spaces between field values": nothing when it is empty or not a
// number, else the number rounded to whole; a negative count puts no spaces.
std::optional<int> spaceCount(const QString& answer);

// A printed listing line: every value followed by two blanks.
QString listingLine(const QVariantList& values);

// The text of a statement file: lines trimmed, each comment line followed by a line break, the
// statement lines joined by one blank so that a statement split over lines stays one statement.
QString statementFromFileLines(const QStringList& lines);

// A filter in the "description|pattern|..." form as Qt's file dialogs take it.
QString qtFileFilter(const QString& filter);

} // namespace corvane
