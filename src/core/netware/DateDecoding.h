#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

namespace corvane {

// The fields of a packed NetWare date-time as they are packed, none of them checked: the month
// may be 13, the seconds (kept in two-second steps) 62.
struct PackedDateTimeFields
{
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};
PackedDateTimeFields unpackDateTime(quint32 packed);

// A packed NetWare date-time (date in the high 16 bits, time of day in the low 16 bits, MS-DOS
// layout) as month/day/year hour:minute:second without leading zeros, e.g. "12/11/2003 14:5:6".
// 0 gives the empty text. Fields are written as packed, even when they form no real date or time.
QString DecodeDateTime(quint32 packed);

// Reads a date-time text, month first, as local time; nullopt when its fields form no valid date
// and time (month 13, day 0, hour 24, 60 seconds, the date 0/0/1980 of a packed time alone).
// A time skipped by a daylight-saving change lands just after the gap.
std::optional<QDateTime> DateTimeFromText(const QString& text);

// Reads the date part of a date-time text (up to its first space), month first.
std::optional<QDate> DateFromText(const QString& text);

} // namespace corvane
