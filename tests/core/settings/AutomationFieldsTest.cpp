#include "core/settings/AutomationFields.h"
#include "core/settings/ScanSettings.h"
#include "core/settings/SettingsStore.h"
#include "mock/FakeClock.h"
#include "mock/TempRegistry.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

class DaysToKeepBoxTest : public ::testing::Test
{
protected:
    QString purgeDate() const { return store.get(QStringLiteral("System"), QStringLiteral("PurgeDate"), QString()); }

    test::TempRegistry temp;
    SettingsStore store{temp.registry};
    test::FakeClock clock{QDateTime(QDate(2026, 12, 30), QTime(9, 0))};
    ScanSettings settings;
    DaysToKeepBox days{settings, store, clock};
};

TEST_F(DaysToKeepBoxTest, EveryChangeMovesPurgeDate)
{
    days.setText(QStringLiteral("5"));
    EXPECT_EQ(purgeDate(), QStringLiteral("1/4/2027"));
    EXPECT_EQ(settings.DaysToKeep, 5);
}

TEST_F(DaysToKeepBoxTest, EmptyTextCountsAsZeroAndLeavesDaysToKeep)
{
    days.setText(QStringLiteral("12"));
    days.setText(QString());
    EXPECT_EQ(purgeDate(), QStringLiteral("12/30/2026"));
    EXPECT_EQ(settings.DaysToKeep, 12);
}

TEST_F(DaysToKeepBoxTest, LeavingNormalisesTheNumberAndKeepsAtLeastOneDay)
{
    days.setText(QStringLiteral("007"));
    days.leave();
    EXPECT_EQ(days.text(), QStringLiteral("7"));
    days.setText(QString());
    days.leave();
    EXPECT_EQ(days.text(), QStringLiteral("1"));
    EXPECT_EQ(settings.DaysToKeep, 1);
    EXPECT_EQ(purgeDate(), QStringLiteral("12/31/2026"));
}

TEST_F(DaysToKeepBoxTest, OnlyDigitsAndBackspaceMayBeTyped)
{
    EXPECT_TRUE(DaysToKeepBox::acceptsTypedCharacter(u'0'));
    EXPECT_TRUE(DaysToKeepBox::acceptsTypedCharacter(u'9'));
    EXPECT_TRUE(DaysToKeepBox::acceptsTypedCharacter(QChar(u'\b')));
    for (const char16_t c : {u'-', u'+', u'.', u'a', u' ', u'\u0663'})
        EXPECT_FALSE(DaysToKeepBox::acceptsTypedCharacter(QChar(c))) << int(c);
}

TEST(StartTimeListTest, FortyEightHalfHoursFromMidnight)
{
    const QStringList& times = StartTimeList::entries();
    ASSERT_EQ(times.size(), 48);
    EXPECT_EQ(times.at(0), QStringLiteral("12:00 am"));
    EXPECT_EQ(times.at(1), QStringLiteral("12:30 am"));
    EXPECT_EQ(times.at(2), QStringLiteral("01:00 am"));
    EXPECT_EQ(times.at(24), QStringLiteral("12:00 pm"));
    EXPECT_EQ(times.at(34), QStringLiteral("05:00 pm"));
    EXPECT_EQ(times.at(47), QStringLiteral("11:30 pm"));
}

TEST(StartTimeListTest, StoredTimeIsSelectedOnlyWhenItIsAnEntry)
{
    ScanSettings settings;
    StartTimeList list(settings);
    settings.StartTime = QStringLiteral("05:00 pm");
    list.applyStoredStartTime();
    EXPECT_EQ(list.selectedIndex(), 34);
    settings.StartTime = QStringLiteral("05:00 p");
    list.applyStoredStartTime();
    EXPECT_EQ(list.selectedIndex(), -1);
    EXPECT_EQ(list.text(), QStringLiteral("05:00 p"));
    list.choose(3);
    EXPECT_EQ(settings.StartTime, QStringLiteral("01:30 am"));
    list.choose(48);
    EXPECT_EQ(settings.StartTime, QStringLiteral("01:30 am"));
}

} // namespace
