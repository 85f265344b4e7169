#include "core/scan/ScanValues.h"

#include "core/db/StoredValues.h"
#include "core/netware/DateDecoding.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

constexpr quint32 packed(quint32 date, quint32 time)
{
    return date << 16 | time;
}

// 12/11/2003 (0x2F8B) at 14:05:06 (0x70A3).
constexpr quint32 December11 = 0x2F8B;

TEST(ScannedDate, ReadsWhatTheDecodedTextSays)
{
    const ScannedDate date = scannedDate(packed(December11, 0x70A3));
    EXPECT_EQ(DecodeDateTime(packed(December11, 0x70A3)), u"12/11/2003 14:5:6"_s);
    EXPECT_EQ(date.day, QDate(2003, 12, 11));
    EXPECT_EQ(date.value, QVariant(u"2003-12-11 14:05:06"_s));
    EXPECT_TRUE(date.fallsOn(QDate(2003, 12, 11)));
    EXPECT_FALSE(date.fallsOn(QDate(2003, 12, 12)));
}

TEST(ScannedDate, NoDateMeansNoDayAndAnEmptyColumn)
{
    for (const quint32 value : {0u, packed(0, 0x70A3), packed(13 << 5 | 1, 0), packed(2 << 5 | 30, 0)}) {
        const ScannedDate date = scannedDate(value);
        EXPECT_FALSE(date.day.isValid()) << value;
        EXPECT_TRUE(date.value.isNull()) << value;
        EXPECT_FALSE(date.fallsOn(QDate())) << value;
    }
}

// The day counts for the scan date even when the time of day is no time; the column stays empty.
TEST(ScannedDate, AnInvalidTimeKeepsTheDay)
{
    for (const quint32 time : {24u << 11, 60u << 5, 31u}) { // hour 24, minute 60, 62 seconds
        const ScannedDate date = scannedDate(packed(December11, time), true);
        EXPECT_TRUE(date.fallsOn(QDate(2003, 12, 11))) << time;
        EXPECT_TRUE(date.value.isNull()) << time;
    }
}

TEST(ScannedDate, SixtySecondsReadAsFiftyNineOnlyWhenCorrected)
{
    const quint32 sixtySeconds = packed(December11, 30);
    EXPECT_EQ(scannedDate(sixtySeconds, true).value, QVariant(u"2003-12-11 00:00:59"_s));
    EXPECT_TRUE(scannedDate(sixtySeconds, false).value.isNull());
    EXPECT_TRUE(scannedDate(sixtySeconds, false).fallsOn(QDate(2003, 12, 11)));
}

// A last access is a packed date alone: the day as scannedDate reads it at midnight, stored alike.
TEST(ScannedDay, IsTheDateAtMidnightStoredAsTheDateAlone)
{
    const ScannedDate day = scannedDay(December11);
    const ScannedDate midnight = scannedDate(packed(December11, 0), true);
    EXPECT_EQ(day.day, midnight.day);
    EXPECT_EQ(day.value, QVariant(u"2003-12-11"_s));
    for (const ColumnKind kind : {ColumnKind::Date, ColumnKind::DateTime})
        EXPECT_EQ(toStoredValue(day.value, kind), toStoredValue(midnight.value, kind));
    for (const quint16 none : {quint16{0}, quint16{13 << 5 | 1}, quint16{2 << 5 | 30}}) {
        EXPECT_FALSE(scannedDay(none).day.isValid()) << none;
        EXPECT_TRUE(scannedDay(none).value.isNull()) << none;
    }
}

} // namespace
} // namespace corvane
