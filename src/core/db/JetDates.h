#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace corvane {

// A date-time as Jet sees it: a calendar day and the seconds past its midnight.
// Kept apart from QDateTime so that stored local times never shift across a
// daylight-saving gap.
struct JetDateTime
{
    QDate date;
    int seconds = 0; // 0 .. 86399

    bool operator==(const JetDateTime&) const = default;
};

constexpr int secondsPerDay = 86400;

// Day 0 of Jet's serial date numbers; a time of day alone lies on it.
QDate jetDayZero();

// Jet's own range of dates.
bool isJetYear(int year);

// Reads a date the way a Jet date literal is read: month/day/year (two-digit
// years as 1930..2029) or ISO year-month-day, each with an optional time
// (h:mm[:ss] with optional AM/PM), or a time alone. The storage forms
// "YYYY-MM-DD" and "YYYY-MM-DD HH:MM:SS" are read as well.
std::optional<JetDateTime> parseJetDateText(const QString& text);

// The storage form: "YYYY-MM-DD" at midnight, "YYYY-MM-DD HH:MM:SS" otherwise,
// "HH:MM:SS" for a time alone (any value on day 0).
QString jetStorageText(const JetDateTime& value);
// The form of the same instant with its time written out: what a stored
// date-time at midnight looks like.
QString jetStorageTextWithTime(const JetDateTime& value);

// Jet's serial number of a date: days since day 0, the time as a fraction; a
// date before day 0 keeps its time as a positive fraction (-1.25 is 12/29/1899 6:00).
double jetSerial(const JetDateTime& value);
std::optional<JetDateTime> jetDateFromSerial(double serial);

// Seconds on one continuous scale, for date arithmetic that crosses days.
qint64 jetLinearSeconds(const JetDateTime& value);
std::optional<JetDateTime> jetDateFromLinearSeconds(qint64 seconds);

} // namespace corvane
