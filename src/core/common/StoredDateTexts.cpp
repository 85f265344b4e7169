#include "core/common/StoredDateTexts.h"

#include <array>

namespace corvane {

namespace {

// Writes value as `width` decimal digits at `at`; formatting by hand keeps appends cheap.
void putDigits(char16_t* at, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        at[i] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    }
}

// Writes the date as YYYY-MM-DD at `at`.
void putDate(char16_t* at, int year, int month, int day)
{
    putDigits(&at[0], year, 4);
    at[4] = u'-';
    putDigits(&at[5], month, 2);
    at[7] = u'-';
    putDigits(&at[8], day, 2);
}

} // namespace

QString storedDateText(const QDate& date)
{
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    return storedDateText(year, month, day);
}

QString storedDateText(int year, int month, int day)
{
    std::array<char16_t, storedDateLength> text{};
    putDate(text.data(), year, month, day);
    return QString(reinterpret_cast<const QChar*>(text.data()), storedDateLength);
}

QString storedDateTimeText(int year, int month, int day, int hour, int minute, int second)
{
    std::array<char16_t, storedDateTimeLength> text{};
    putDate(text.data(), year, month, day);
    text[10] = u' ';
    putDigits(&text[11], hour, 2);
    text[13] = u':';
    putDigits(&text[14], minute, 2);
    text[16] = u':';
    putDigits(&text[17], second, 2);
    return QString(reinterpret_cast<const QChar*>(text.data()), storedDateTimeLength);
}

QString storedDateTimeText(const QDate& date, const QTime& time)
{
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    return storedDateTimeText(year, month, day, time.hour(), time.minute(), time.second());
}

QString storedDateTimeText(const QDateTime& dateTime)
{
    return storedDateTimeText(dateTime.date(), dateTime.time());
}

} // namespace corvane
