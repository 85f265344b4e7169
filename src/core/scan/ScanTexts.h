#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

#include <optional>

namespace corvane {

// "mm/dd/yyyy hh:mm am/pm": the LastScan stamp and the last-scan line.
QString lastScanStamp(const QDateTime& now);
// The date of a LastScan stamp, read from its first 10 characters; nullopt when they are no date.
std::optional<QDate> lastScanDate(const QString& lastScan);

// The summary of a run that found files: the count as "###,###,###,##0", then the byte total
// in KB as "###,###,###,##0.0", with the locale's group separator and decimal mark.
QString filesFoundSummary(qint32 filesFound, qint32 totalBytes, const QLocale& locale = QLocale());

// What a run that lost rows says after its summary: the count as the summary writes counts, and
// the words of the first failure ("Error <number> : <description>").
QString lostRowsText(qint64 lostRows, const QString& firstError, const QLocale& locale = QLocale());

// A time of day as StartTime holds it ("05:00 pm", the default "05:00 p", "17:00"), cut to the
// minute; nullopt for a text that is no time of day.
std::optional<QTime> startTimeOfDay(const QString& text);

// The time of day as the timed wait compares it: to the minute.
QTime minuteOf(const QTime& time);

} // namespace corvane
