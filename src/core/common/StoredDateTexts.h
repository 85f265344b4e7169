#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace corvane {

// The text form in which the databases keep dates: 'YYYY-MM-DD' and 'YYYY-MM-DD HH:MM:SS'.
constexpr qsizetype storedDateLength = 10;
constexpr qsizetype storedDateTimeLength = 19;

QString storedDateText(const QDate& date);
// From the fields of a valid date.
QString storedDateText(int year, int month, int day);
QString storedDateTimeText(const QDateTime& dateTime);
// A date and a time of day kept apart: building a local QDateTime asks the time zone database,
// which costs more than a whole append of the scan.
QString storedDateTimeText(const QDate& date, const QTime& time);
// From the fields of a valid date and time.
QString storedDateTimeText(int year, int month, int day, int hour, int minute, int second);

} // namespace corvane
