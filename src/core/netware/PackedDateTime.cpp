#include "core/netware/PackedDateTime.h"

#include <ctime>

namespace corvane {

namespace {

constexpr qint64 SecondsPerDay = 86400;

quint32 packFields(int year, int month, int day, int hour, int minute, int second)
{
    if (year < 1980 || year > 2107)
        return 0;
    const quint32 date = (static_cast<quint32>(year - 1980) << 9) | (static_cast<quint32>(month) << 5) |
                         static_cast<quint32>(day);
    const quint32 time = (static_cast<quint32>(hour) << 11) | (static_cast<quint32>(minute) << 5) |
                         static_cast<quint32>(second / 2);
    return (date << 16) | time;
}

int localOffsetAt(qint64 secondsSinceEpoch)
{
    const time_t moment = static_cast<time_t>(secondsSinceEpoch);
    tm local{};
    if (!localtime_r(&moment, &local))
        return 0;
    return static_cast<int>(local.tm_gmtoff);
}

qint64 floorDiv(qint64 value, qint64 divisor)
{
    return value / divisor - (value % divisor < 0 ? 1 : 0);
}

} // namespace

quint32 packDateTime(const QDate& date, const QTime& time)
{
    if (!date.isValid() || !time.isValid())
        return 0;
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    return packFields(year, month, day, time.hour(), time.minute(), time.second());
}

quint32 packDateTime(int year, int month, int day, int hour, int minute, int second)
{
    if (!QDate::isValid(year, month, day) || !QTime::isValid(hour, minute, second))
        return 0;
    return packFields(year, month, day, hour, minute, second);
}

LocalTimePacker::LocalTimePacker()
{
    tzset(); // read the zone once, as it is now
}

quint32 LocalTimePacker::pack(qint64 secondsSinceEpoch)
{
    const time_t wallClock = static_cast<time_t>(secondsSinceEpoch + utcOffset(secondsSinceEpoch));
    tm fields{};
    if (!gmtime_r(&wallClock, &fields))
        return 0;
    return packFields(fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min,
                      fields.tm_sec);
}

int LocalTimePacker::utcOffset(qint64 secondsSinceEpoch)
{
    const qint64 day = floorDiv(secondsSinceEpoch, SecondsPerDay);
    const auto known = m_dayOffsets.constFind(day);
    if (known != m_dayOffsets.cend())
        return *known;
    const int atStart = localOffsetAt(day * SecondsPerDay);
    if (atStart != localOffsetAt(day * SecondsPerDay + SecondsPerDay - 1))
        return localOffsetAt(secondsSinceEpoch);
    m_dayOffsets.insert(day, atStart);
    return atStart;
}

} // namespace corvane
