#include "core/db/CsvWriter.h"

namespace corvane {

namespace {

const QString lineEnd = QStringLiteral("\r\n");

} // namespace

void CsvWriter::writeFieldNames(const QStringList& names)
{
    QVariantList values;
    values.reserve(names.size());
    for (const QString& name : names)
        values.append(name);
    writeRow(values);
}

void CsvWriter::writeRow(const QVariantList& values)
{
    m_out << line(values) << lineEnd;
}

QString CsvWriter::line(const QVariantList& values)
{
    QString text;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(',');
        text += quoted(valueText(values[i]));
    }
    return text;
}

QString CsvWriter::quoted(const QString& text)
{
    const QChar quote(u'"');
    return quote + QString(text).replace(quote, QStringLiteral("\"\"")) + quote;
}

QString CsvWriter::valueText(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

} // namespace corvane
