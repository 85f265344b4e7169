#include "core/db/JetDates.h"

#include <QRegularExpression>

#include <cmath>

namespace corvane {
namespace {

// Two-digit years as the Windows default window reads them.
int fullYear(const QString& digits)
{
    const int year = digits.toInt();
    if (digits.size() > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

std::optional<QDate> parseDatePart(const QString& text)
{
    static const QRegularExpression monthFirst(
        QStringLiteral("^(\\d{1,2})([/-])(\\d{1,2})\\2(\\d{4}|\\d{1,2})$"));
    static const QRegularExpression yearFirst(QStringLiteral("^(\\d{4})([/-])(\\d{1,2})\\2(\\d{1,2})$"));
    QDate date;
    if (const auto m = monthFirst.match(text); m.hasMatch())
        date = QDate(fullYear(m.captured(4)), m.captured(1).toInt(), m.captured(3).toInt());
    else if (const auto y = yearFirst.match(text); y.hasMatch())
        date = QDate(y.captured(1).toInt(), y.captured(3).toInt(), y.captured(4).toInt());
    if (!date.isValid() || !isJetYear(date.year()))
        return std::nullopt;
    return date;
}

std::optional<int> parseTimePart(const QString& text)
{
    static const QRegularExpression time(
        QStringLiteral("^(\\d{1,2})(?::(\\d{1,2})(?::(\\d{1,2}))?)?\\s*([AP]M?)?$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = time.match(text);
    if (!m.hasMatch() || (!m.hasCaptured(2) && !m.hasCaptured(4)))
        return std::nullopt;
    int hour = m.captured(1).toInt();
    const int minute = m.captured(2).toInt();
    const int second = m.captured(3).toInt();
    if (m.hasCaptured(4)) {
        if (hour > 12)
            return std::nullopt;
        const bool afternoon = m.captured(4).startsWith(QLatin1Char('P'), Qt::CaseInsensitive);
        hour = hour % 12 + (afternoon ? 12 : 0);
    }
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return (hour * 60 + minute) * 60 + second;
}

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QString timeText(int seconds)
{
    return twoDigits(seconds / 3600) + QLatin1Char(':') + twoDigits(seconds / 60 % 60) + QLatin1Char(':') +
           twoDigits(seconds % 60);
}

QString dateText(const QDate& date)
{
    return QStringLiteral("%1-%2-%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(twoDigits(date.month()), twoDigits(date.day()));
}

} // namespace

QDate jetDayZero()
{
    return QDate(1899, 12, 30);
}

bool isJetYear(int year)
{
    return year >= 100 && year <= 9999;
}

std::optional<JetDateTime> parseJetDateText(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (const auto time = parseTimePart(trimmed))
        return JetDateTime{jetDayZero(), *time};
    static const QRegularExpression separator(QStringLiteral("^(\\d{4}-\\d{1,2}-\\d{1,2})T|\\s+"));
    const auto split = separator.match(trimmed);
    const qsizetype dateEnd = !split.hasMatch()      ? trimmed.size()
                              : split.hasCaptured(1) ? split.capturedEnd(1)
                                                     : split.capturedStart();
    const auto date = parseDatePart(trimmed.left(dateEnd));
    if (!date)
        return std::nullopt;
    if (!split.hasMatch())
        return JetDateTime{*date, 0};
    const auto time = parseTimePart(trimmed.mid(split.capturedEnd()));
    if (!time)
        return std::nullopt;
    return JetDateTime{*date, *time};
}

QString jetStorageText(const JetDateTime& value)
{
    if (value.date == jetDayZero())
        return timeText(value.seconds);
    if (value.seconds == 0)
        return dateText(value.date);
    return jetStorageTextWithTime(value);
}

QString jetStorageTextWithTime(const JetDateTime& value)
{
    return dateText(value.date) + QLatin1Char(' ') + timeText(value.seconds);
}

double jetSerial(const JetDateTime& value)
{
    const double days = static_cast<double>(value.date.toJulianDay() - jetDayZero().toJulianDay());
    const double fraction = static_cast<double>(value.seconds) / secondsPerDay;
    return days < 0 ? days - fraction : days + fraction;
}

std::optional<JetDateTime> jetDateFromSerial(double serial)
{
    if (!std::isfinite(serial) || std::fabs(serial) > 3e6)
        return std::nullopt;
    const double wholeDays = std::trunc(serial);
    qint64 days = static_cast<qint64>(wholeDays);
    auto seconds = static_cast<qint64>(std::llround(std::fabs(serial - wholeDays) * secondsPerDay));
    if (seconds == secondsPerDay) {
        days += serial < 0 ? -1 : 1;
        seconds = 0;
    }
    const QDate date = jetDayZero().addDays(days);
    if (!isJetYear(date.year()))
        return std::nullopt;
    return JetDateTime{date, static_cast<int>(seconds)};
}

qint64 jetLinearSeconds(const JetDateTime& value)
{
    return value.date.toJulianDay() * secondsPerDay + value.seconds;
}

std::optional<JetDateTime> jetDateFromLinearSeconds(qint64 seconds)
{
    const qint64 days =
        seconds >= 0 ? seconds / secondsPerDay : -((-seconds + secondsPerDay - 1) / secondsPerDay);
    const QDate date = QDate::fromJulianDay(days);
    if (!date.isValid() || !isJetYear(date.year()))
        return std::nullopt;
    return JetDateTime{date, static_cast<int>(seconds - days * secondsPerDay)};
}

} // namespace corvane
