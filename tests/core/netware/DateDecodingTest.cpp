#include "core/netware/DateDecoding.h"

#include <gtest/gtest.h>

#include <ctime>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

constexpr quint32 packed(quint32 date, quint32 time)
{
    return date << 16 | time;
}

TEST(DecodeDateTime, WritesFieldsWithoutLeadingZeros)
{
    EXPECT_EQ(DecodeDateTime(0), QString());
    EXPECT_EQ(DecodeDateTime(packed(0x2F8B, 0x70A3)), u"12/11/2003 14:5:6"_s);
    EXPECT_EQ(DecodeDateTime(packed(0x26E4, 0)), u"7/4/1999 0:0:0"_s);
}

TEST(DecodeDateTime, YearFieldIsUnsigned)
{
    EXPECT_EQ(DecodeDateTime(packed(0x8021, 0)), u"1/1/2044 0:0:0"_s);
    EXPECT_EQ(DecodeDateTime(packed(0xFF9F, 0)), u"12/31/2107 0:0:0"_s);
}

TEST(DecodeDateTime, WritesUnvalidatedFieldsAsPacked)
{
    EXPECT_EQ(DecodeDateTime(packed(0, 0x70A3)), u"0/0/1980 14:5:6"_s);
    EXPECT_EQ(DecodeDateTime(packed(0x2F8B, 0x001E)), u"12/11/2003 0:0:60"_s);
    // Month 13, day 0; hour 31, minute 63, seconds field 31.
    EXPECT_EQ(DecodeDateTime(packed(13 << 5, 0xFFFF)), u"13/0/1980 31:63:62"_s);
}

TEST(DateTimeFromText, ReadsMonthFirst)
{
    const QDateTime expected(QDate(2003, 12, 11), QTime(14, 5, 6));
    EXPECT_EQ(DateTimeFromText(u"12/11/2003 14:5:6"_s), expected);
    EXPECT_EQ(DateTimeFromText(u"12/11/2003 14:05:06"_s), expected);
    EXPECT_EQ(DateTimeFromText(DecodeDateTime(packed(0x26E4, 0))), QDateTime(QDate(1999, 7, 4), QTime(0, 0)));
}

// Local-time values are read in the zone in force, so the checks run inside the guard's life.
class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const char* zone)
        : m_saved(qgetenv("TZ")), m_wasSet(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_wasSet)
            qputenv("TZ", m_saved);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray m_saved;
    bool m_wasSet;
};

TEST(DateTimeFromText, TimeInDaylightSavingGapStaysValid)
{
    const ScopedTimeZone berlin("Europe/Berlin");
    const std::optional<QDateTime> skipped = DateTimeFromText(u"3/26/2023 2:30:0"_s);
    ASSERT_TRUE(skipped && skipped->isValid());
    EXPECT_EQ(skipped->toUTC(), QDateTime(QDate(2023, 3, 26), QTime(1, 30), Qt::UTC));
    const std::optional<QDateTime> repeated = DateTimeFromText(u"10/29/2023 2:30:0"_s);
    ASSERT_TRUE(repeated && repeated->isValid());
    EXPECT_EQ(repeated->time(), QTime(2, 30));
}

TEST(DateTimeFromText, RejectsFieldsThatFormNoDateTime)
{
    for (const QString& text :
         {u"13/11/2003 14:5:6"_s, u"12/0/2003 14:5:6"_s, u"2/30/2003 1:2:3"_s, u"12/11/2003 24:0:0"_s,
          u"12/11/2003 14:60:0"_s, u"12/11/2003 14:5:60"_s, u"0/0/1980 14:5:6"_s, u"12/11/2003"_s, u""_s,
          u"12/11/2003 14:5"_s, u"12/11/2003 99999999999:0:0"_s, u"12-11-2003 14:5:6"_s})
        EXPECT_FALSE(DateTimeFromText(text)) << text.toStdString();
}

TEST(DateFromText, ReadsDatePartOnly)
{
    EXPECT_EQ(DateFromText(u"7/4/1999 0:0:0"_s), QDate(1999, 7, 4));
    EXPECT_EQ(DateFromText(u"7/4/1999"_s), QDate(1999, 7, 4));
    // A time that does not convert leaves the date readable.
    EXPECT_EQ(DateFromText(u"12/11/2003 14:5:60"_s), QDate(2003, 12, 11));
    EXPECT_FALSE(DateFromText(u"0/0/1980 14:5:6"_s));
    EXPECT_FALSE(DateFromText(u"2/29/2003"_s));
    EXPECT_FALSE(DateFromText(u""_s));
}

} // namespace
} // namespace corvane
