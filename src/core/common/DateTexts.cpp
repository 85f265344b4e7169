#include "core/common/DateTexts.h"

#include <QRegularExpression>

namespace corvane {

QString shortDateText(const QDate& date)
{
    return date.toString(QStringLiteral("M/d/yyyy"));
}

std::optional<QDate> parseShortDate(const QString& text)
{
    static const QRegularExpression monthDayYear(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4})$"));
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    const QString trimmed = text.trimmed();
    QDate date;
    if (const auto m = monthDayYear.match(trimmed); m.hasMatch())
        date = QDate(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
    else if (const auto i = iso.match(trimmed); i.hasMatch())
        date = QDate(i.captured(1).toInt(), i.captured(2).toInt(), i.captured(3).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace corvane
