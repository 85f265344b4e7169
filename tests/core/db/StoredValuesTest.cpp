#include "core/db/StoredValues.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

QVariant stored(const QVariant& value, ColumnKind kind)
{
    return toStoredValue(value, kind).value_or(QVariant(QStringLiteral("<no conversion>")));
}

TEST(StoredValuesTest, ColumnKindsComeFromTheDeclaredTypes)
{
    EXPECT_EQ(columnKindOfDeclaredType(QStringLiteral("DATETIME")), ColumnKind::DateTime);
    EXPECT_EQ(columnKindOfDeclaredType(QStringLiteral("date")), ColumnKind::Date);
    EXPECT_EQ(columnKindOfDeclaredType(QStringLiteral("INTEGER")), ColumnKind::Integer);
    EXPECT_EQ(columnKindOfDeclaredType(QStringLiteral("TEXT")), ColumnKind::Text);
    EXPECT_EQ(columnKindOfDeclaredType(QString()), ColumnKind::Text);
}

TEST(StoredValuesTest, DateTimesAreIsoTextWhateverFormTheyCameIn)
{
    const QString expected = QStringLiteral("2003-12-11 14:05:06");
    EXPECT_EQ(stored(QDateTime(QDate(2003, 12, 11), QTime(14, 5, 6)), ColumnKind::DateTime), expected);
    EXPECT_EQ(stored(QStringLiteral("12/11/2003 14:5:6"), ColumnKind::DateTime), expected);
    EXPECT_EQ(stored(QStringLiteral("12/11/2003 2:05:06 PM"), ColumnKind::DateTime), expected);
    EXPECT_EQ(stored(QStringLiteral("2003-12-11 14:05:06"), ColumnKind::DateTime), expected);
    // A date-time column keeps its midnight; a date column keeps a whole day as the date alone.
    EXPECT_EQ(stored(QDate(1999, 7, 4), ColumnKind::DateTime), QStringLiteral("1999-07-04 00:00:00"));
    EXPECT_EQ(stored(QStringLiteral("7/4/1999 0:0:0"), ColumnKind::Date), QStringLiteral("1999-07-04"));
    EXPECT_EQ(stored(QDateTime(QDate(1999, 7, 4), QTime(9, 30)), ColumnKind::Date),
              QStringLiteral("1999-07-04 09:30:00"));
    EXPECT_EQ(stored(QStringLiteral("12/11/2003 12:00 am"), ColumnKind::DateTime),
              QStringLiteral("2003-12-11 00:00:00"));
}

TEST(StoredValuesTest, TextsThatAreNoDateDoNotConvert)
{
    for (const char* text : {"", "0/0/1980 14:5:6", "13/1/2003 0:0:0", "12/11/2003 24:0:0",
                             "12/11/2003 14:5:60", "12/11/2003 13:00 pm", "yesterday", "12/11/2003 14"}) {
        EXPECT_FALSE(toStoredValue(QString::fromLatin1(text), ColumnKind::DateTime).has_value()) << text;
    }
    EXPECT_FALSE(toStoredValue(QDate(), ColumnKind::Date).has_value());
}

// The scan hands its dates over in the stored form: kept when the moment is real, refused as
// any other text that names none.
TEST(StoredValuesTest, TextsInTheStoredFormAreKeptOnlyWhenTheyNameARealMoment)
{
    EXPECT_EQ(stored(QStringLiteral("2026-12-07 23:59:59"), ColumnKind::DateTime),
              QStringLiteral("2026-12-07 23:59:59"));
    EXPECT_EQ(stored(QStringLiteral("2026-12-07 00:00:00"), ColumnKind::Date), QStringLiteral("2026-12-07"));
    EXPECT_EQ(stored(QStringLiteral("2026-12-07 08:00:00"), ColumnKind::Date),
              QStringLiteral("2026-12-07 08:00:00"));
    EXPECT_EQ(storedDateTimeText(2024, 2, 29, 7, 5, 0), QStringLiteral("2024-02-29 07:05:00"));
    for (const char* text : {"2026-02-30 10:00:00", "2026-12-07 24:00:00", "2026-12-07 10:60:00",
                             "0099-12-07 10:00:00", "2026-12-07 10:00:0x"}) {
        EXPECT_FALSE(toStoredValue(QString::fromLatin1(text), ColumnKind::DateTime).has_value()) << text;
    }
}

// The date alone, as the scan gives a last access: a date column keeps it, a date-time column
// writes it at midnight, as it did the date with its midnight.
TEST(StoredValuesTest, TheDateAloneIsTheStoredFormOfADateColumn)
{
    EXPECT_EQ(stored(QStringLiteral("2026-12-07"), ColumnKind::Date), QStringLiteral("2026-12-07"));
    EXPECT_EQ(stored(QStringLiteral("2026-12-07"), ColumnKind::DateTime),
              QStringLiteral("2026-12-07 00:00:00"));
    EXPECT_EQ(stored(QStringLiteral("2026-12-07"), ColumnKind::DateTime),
              stored(QStringLiteral("2026-12-07 00:00:00"), ColumnKind::DateTime));
    for (const char* text : {"2026-02-30", "0099-12-07", "2026-12-0x"}) {
        EXPECT_FALSE(toStoredValue(QString::fromLatin1(text), ColumnKind::Date).has_value()) << text;
        EXPECT_FALSE(toStoredValue(QString::fromLatin1(text), ColumnKind::DateTime).has_value()) << text;
    }
}

TEST(StoredValuesTest, IntegersTextsAndNoValue)
{
    EXPECT_EQ(stored(qint64(3000000000), ColumnKind::Integer).toLongLong(), 3000000000);
    EXPECT_EQ(stored(QStringLiteral(" 42 "), ColumnKind::Integer).toLongLong(), 42);
    EXPECT_FALSE(toStoredValue(QStringLiteral("4 2"), ColumnKind::Integer).has_value());
    EXPECT_EQ(stored(QStringLiteral("O'Brien \"x\""), ColumnKind::Text), QStringLiteral("O'Brien \"x\""));
    EXPECT_EQ(stored(12, ColumnKind::Text), QStringLiteral("12"));
    EXPECT_TRUE(stored(QVariant(), ColumnKind::DateTime).isNull());
    EXPECT_TRUE(stored(QVariant(), ColumnKind::Text).isNull());
}

TEST(StoredValuesTest, StoredDatesReadBackAsDates)
{
    EXPECT_EQ(fromStoredValue(QStringLiteral("2026-12-07"), ColumnKind::Date), QVariant(QDate(2026, 12, 7)));
    EXPECT_EQ(fromStoredValue(QStringLiteral("2026-12-07 08:09:10"), ColumnKind::DateTime),
              QVariant(QDateTime(QDate(2026, 12, 7), QTime(8, 9, 10))));
    EXPECT_EQ(fromStoredValue(QStringLiteral("2026-12-07"), ColumnKind::Text),
              QVariant(QStringLiteral("2026-12-07")));
    EXPECT_EQ(fromStoredValue(QStringLiteral("garbage"), ColumnKind::Date),
              QVariant(QStringLiteral("garbage")));
    EXPECT_TRUE(fromStoredValue(QVariant(), ColumnKind::Date).isNull());
}

} // namespace
