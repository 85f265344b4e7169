#include "core/netware/DateDecoding.h"

#include <QRegularExpression>

#include <array>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

// Writes the number without leading zeros and returns the position after it; written by hand
// because every file of a scan decodes several dates.
char16_t* putNumber(char16_t* at, quint32 number)
{
    std::array<char16_t, 10> digits{};
    int count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + number % 10);
        number /= 10;
    } while (number != 0);
    while (count > 0)
        *at++ = digits[--count];
    return at;
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

PackedDateTimeFields unpackDateTime(quint32 packed)
{
    const quint32 date = packed >> 16;
    const quint32 time = packed & 0xFFFF;
    return PackedDateTimeFields{static_cast<int>(1980 + (date >> 9)), static_cast<int>((date >> 5) & 0xF),
                                static_cast<int>(date & 0x1F),       static_cast<int>(time >> 11),
                                static_cast<int>((time >> 5) & 0x3F), static_cast<int>((time & 0x1F) * 2)};
}

QString DecodeDateTime(quint32 packed)
{
    if (packed == 0)
        return {};
    const PackedDateTimeFields f = unpackDateTime(packed);
    std::array<char16_t, 24> text{};
    char16_t* at = text.data();
    for (const auto& [number, separator] : {std::pair{f.month, u'/'}, std::pair{f.day, u'/'},
                                            std::pair{f.year, u' '}, std::pair{f.hour, u':'},
                                            std::pair{f.minute, u':'}, std::pair{f.second, u'\0'}}) {
        at = putNumber(at, static_cast<quint32>(number));
        if (separator != u'\0')
            *at++ = separator;
    }
    return QString(reinterpret_cast<const QChar*>(text.data()), at - text.data());
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
