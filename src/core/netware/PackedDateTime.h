#pragma once

#include <QDate>
#include <QHash>
#include <QTime>

namespace corvane {

// A wall-clock date and time in the packed NetWare (MS-DOS) layout, seconds rounded down to even;
// 0 (no date) when the date is invalid or outside 1980 to 2107.
quint32 packDateTime(const QDate& date, const QTime& time);
// The same from the fields, without making a QDate that would only be taken apart again.
quint32 packDateTime(int year, int month, int day, int hour, int minute, int second);

// File times (seconds since the epoch) as local packed date-times. The local offset is looked up
// once per day and kept: a time-zone look-up per file would cost more than reading the file.
class LocalTimePacker
{
public:
    LocalTimePacker();
    quint32 pack(qint64 secondsSinceEpoch);

private:
    int utcOffset(qint64 secondsSinceEpoch);

    QHash<qint64, int> m_dayOffsets; // by UTC day; days with an offset change are not kept
};

} // namespace corvane
