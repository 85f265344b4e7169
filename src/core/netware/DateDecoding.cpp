#include "core/netware/DateDecoding.h"

#include "core/netware/TextUtilities.h"

#include <QRegularExpression>

#include <array>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

// Every field is unsigned, so each number is written with the space that marks a non-negative
// number; the spaces are removed again per part.
QString numberText(quint32 number)
{
    return u' ' + QString::number(number);
}

QString decodeDate(quint32 date)
{
    const quint32 year = 1980 + (date >> 9);
    const quint32 month = (date >> 5) & 0xF;
    const quint32 day = date & 0x1F;
    return RemoveSpaces(numberText(month) + u'/' + numberText(day) + u'/' + numberText(year));
}

QString decodeTime(quint32 time)
{
    const quint32 hour = time >> 11;
    const quint32 minute = (time >> 5) & 0x3F;
    const quint32 seconds = (time & 0x1F) * 2;
    return RemoveSpaces(numberText(hour) + u':' + numberText(minute) + u':' + numberText(seconds));
}

// The three numbers the pattern captures; it admits ASCII digits only, and few enough of them
// that no field can overflow.
std::optional<std::array<int, 3>> readFields(const QString& text, const QRegularExpression& pattern)
{
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return std::array{match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt()};
}

template <typename Value> std::optional<Value> validOrNone(const Value& value)
{
    return value.isValid() ? std::optional(value) : std::nullopt;
}

std::optional<QDate> parseDate(const QString& text)
{
    static const QRegularExpression pattern(u"^([0-9]{1,2})/([0-9]{1,2})/([0-9]{4})$"_s);
    const auto fields = readFields(text, pattern); // month, day, year
    return fields ? validOrNone(QDate((*fields)[2], (*fields)[0], (*fields)[1])) : std::nullopt;
}

std::optional<QTime> parseTime(const QString& text)
{
    static const QRegularExpression pattern(u"^([0-9]{1,2}):([0-9]{1,2}):([0-9]{1,2})$"_s);
    const auto fields = readFields(text, pattern);
    return fields ? validOrNone(QTime((*fields)[0], (*fields)[1], (*fields)[2])) : std::nullopt;
}

// A wall-clock time skipped by a daylight-saving change still names a moment: it is read with the
// offset in force before the change, which places it just after the gap.
QDateTime localDateTime(QDate date, QTime time)
{
    const QDateTime exact(date, time);
    if (exact.isValid())
        return exact;
    const QDateTime wallClock(date, time, Qt::UTC);
    const int offsetBefore = wallClock.addDays(-1).toLocalTime().offsetFromUtc();
    return wallClock.addSecs(-offsetBefore).toLocalTime();
}

} // namespace

QString DecodeDateTime(quint32 packed)
{
    if (packed == 0)
        return {};
    return decodeDate(packed >> 16) + u' ' + decodeTime(packed & 0xFFFF);
}

std::optional<QDateTime> DateTimeFromText(const QString& text)
{
    const qsizetype space = text.indexOf(u' ');
    if (space < 0)
        return std::nullopt;
    const std::optional<QDate> date = parseDate(text.left(space));
    const std::optional<QTime> time = parseTime(text.mid(space + 1));
    if (!date || !time)
        return std::nullopt;
    return localDateTime(*date, *time);
}

std::optional<QDate> DateFromText(const QString& text)
{
    return parseDate(text.left(text.indexOf(u' ')));
}

} // namespace corvane
