#include "core/netware/PackedDateTime.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

// The metadata's dates are packed from their fields: alike to packing the date and time they name.
TEST(PackedDateTime, FieldsPackAsTheDateAndTimeTheyName)
{
    struct Moment
    {
        int year, month, day, hour, minute, second;
    };
    for (const Moment& m : {Moment{2026, 12, 7, 9, 15, 0}, Moment{1980, 1, 1, 0, 0, 0},
                            Moment{2107, 12, 31, 23, 59, 59}, Moment{2024, 2, 29, 12, 0, 1}}) {
        const quint32 packed = packDateTime(m.year, m.month, m.day, m.hour, m.minute, m.second);
        EXPECT_NE(packed, 0u) << m.year;
        EXPECT_EQ(packed, packDateTime(QDate(m.year, m.month, m.day), QTime(m.hour, m.minute, m.second)))
            << m.year;
    }
    // No such day, no such time, or a year the layout cannot hold: no date.
    for (const Moment& m :
         {Moment{2026, 2, 29, 9, 0, 0}, Moment{2026, 13, 1, 0, 0, 0}, Moment{2026, 12, 7, 24, 0, 0},
          Moment{2026, 12, 7, 9, 60, 0}, Moment{1979, 12, 31, 23, 59, 59}, Moment{2108, 1, 1, 0, 0, 0}})
        EXPECT_EQ(packDateTime(m.year, m.month, m.day, m.hour, m.minute, m.second), 0u)
            << m.year << '-' << m.month;
}

} // namespace
} // namespace corvane
