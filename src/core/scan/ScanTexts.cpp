#include "core/scan/ScanTexts.h"

#include "core/common/DateTexts.h"
#include "core/db/JetDates.h"

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

// The format patterns always group their digits, whatever the locale's own default.
QLocale groupingLocale(QLocale locale)
{
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale;
}

} // namespace

QString lastScanStamp(const QDateTime& now)
{
    // Without a locale Qt writes "am" and "pm" in lower case, as the stamp wants.
    return now.toString(u"MM/dd/yyyy hh:mm ap"_s);
}

std::optional<QDate> lastScanDate(const QString& lastScan)
{
    return parseShortDate(lastScan.left(10));
}

QString filesFoundSummary(qint32 filesFound, qint32 totalBytes, const QLocale& locale)
{
    const QLocale grouping = groupingLocale(locale);
    return grouping.toString(filesFound) + u" files found. Total of "_s +
           grouping.toString(totalBytes / 1024.0, 'f', 1) + u" KB."_s;
}

QString lostRowsText(qint64 lostRows, const QString& firstError, const QLocale& locale)
{
    const QString rows = lostRows == 1 ? u"1 row"_s : groupingLocale(locale).toString(lostRows) + u" rows"_s;
    return rows + u" of this run could not be recorded; the first failed with "_s + firstError;
}

std::optional<QTime> startTimeOfDay(const QString& text)
{
    // Only a time alone is a time of day; a text with a date never equals the clock's time.
    const std::optional<JetDateTime> value = parseJetDateText(text);
    if (!value || value->date != jetDayZero())
        return std::nullopt;
    return minuteOf(QTime::fromMSecsSinceStartOfDay(value->seconds * 1000));
}

QTime minuteOf(const QTime& time)
{
    return QTime(time.hour(), time.minute());
}

} // namespace corvane
