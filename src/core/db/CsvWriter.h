#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QVariant>

namespace corvane {

// The comma-separated form of query results, shared by `cv --query`, the query window's CSV
// file and its clipboard copy: every value between double quotes, separated by commas, each
// line ended by CR LF, a null as "". A double quote inside a value is doubled, so that
// spreadsheet programs read the rows back as written.
class CsvWriter
{
public:
    explicit CsvWriter(QTextStream& out) : m_out(out) {}

    void writeFieldNames(const QStringList& names);
    void writeRow(const QVariantList& values);

    // One line of quoted values without its line end (the clipboard joins lines itself).
    static QString line(const QVariantList& values);
    static QString quoted(const QString& text);
    // A value as text: null as empty text, numbers in plain decimal form.
    static QString valueText(const QVariant& value);

private:
    QTextStream& m_out;
};

} // namespace corvane
