#include "core/scan/ScanTexts.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

TEST(ScanTexts, TheLastScanStampIsMonthDayYearAndTwelveHourTime)
{
    EXPECT_EQ(lastScanStamp(QDateTime(QDate(2026, 1, 5), QTime(0, 7, 59))), u"01/05/2026 12:07 am"_s);
    EXPECT_EQ(lastScanStamp(QDateTime(QDate(2026, 12, 7), QTime(13, 0))), u"12/07/2026 01:00 pm"_s);
    EXPECT_EQ(lastScanStamp(QDateTime(QDate(2026, 12, 7), QTime(12, 30))), u"12/07/2026 12:30 pm"_s);
}

TEST(ScanTexts, TheSummaryGroupsDigitsAndShowsOneDecimalInTheLocalesForm)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(filesFoundSummary(1, 0, us), u"1 files found. Total of 0.0 KB."_s);
    EXPECT_EQ(filesFoundSummary(1234567, 2147483647, us),
              u"1,234,567 files found. Total of 2,097,152.0 KB."_s);
    EXPECT_EQ(filesFoundSummary(3, 1075, us), u"3 files found. Total of 1.0 KB."_s);
    EXPECT_EQ(filesFoundSummary(3, 1127, us), u"3 files found. Total of 1.1 KB."_s);
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(filesFoundSummary(12345, 1024 * 1536, german), u"12.345 files found. Total of 1.536,0 KB."_s);
    // The C locale, which leaves out group separators by default, still groups.
    EXPECT_EQ(filesFoundSummary(1000, 0, QLocale::c()), u"1,000 files found. Total of 0.0 KB."_s);
}

TEST(ScanTexts, StartTimesAreReadToTheMinute)
{
    EXPECT_EQ(startTimeOfDay(u"05:00 p"_s), QTime(17, 0));
    EXPECT_EQ(startTimeOfDay(u"05:00 pm"_s), QTime(17, 0));
    EXPECT_EQ(startTimeOfDay(u"12:00 am"_s), QTime(0, 0));
    EXPECT_EQ(startTimeOfDay(u"12:30 PM"_s), QTime(12, 30));
    EXPECT_EQ(startTimeOfDay(u"17:45:30"_s), QTime(17, 45));
    EXPECT_EQ(startTimeOfDay(u"whenever"_s), std::nullopt);
    EXPECT_EQ(startTimeOfDay(u""_s), std::nullopt);
    EXPECT_EQ(startTimeOfDay(u"12/7/2026 5:00 pm"_s), std::nullopt);
    EXPECT_EQ(startTimeOfDay(u"25:00"_s), std::nullopt);
}

} // namespace
} // namespace corvane
