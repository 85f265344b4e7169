#include "gui/ui/WindowSize.h"
#include "core/settings/SettingsStore.h"
#include "gui/ui/Twips.h"
#include "mock/TempRegistry.h"

#include <gtest/gtest.h>

#include <QWidget>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

TEST(WindowSize, TwipsConvertAtTheLogicalDpiRoundedToTheNearestPixel)
{
    EXPECT_EQ(twipsToPixels(9735, 96), 649);
    EXPECT_EQ(twipsToPixels(6150, 96), 410);
    EXPECT_EQ(twipsToPixels(9735, 120), 811); // 811.25
    EXPECT_EQ(twipsToPixels(22, 96), 1);      // 1.47
    EXPECT_EQ(pixelsToTwips(811, 120), 9732);
}

TEST(WindowSize, TheLimitsHoldInPixelsOfTheWindowsDpi)
{
    QWidget window;
    LimitWindowSize(&window, 9735, 6150, 15360, 11520);
    EXPECT_EQ(window.minimumSize(), twipsToPixels(QSizeF(9735, 6150), window));
    EXPECT_EQ(window.maximumSize(), twipsToPixels(QSizeF(15360, 11520), window));
    if (window.logicalDpiX() == 96 && window.logicalDpiY() == 96) {
        EXPECT_EQ(window.minimumSize(), QSize(649, 410));
    }
    window.resize(100, 100);
    EXPECT_EQ(window.size(), window.minimumSize());
}

TEST(WindowSize, CentringIsInTheMiddleAcrossAndALittleAboveItDown)
{
    EXPECT_EQ(centredPosition({15360, 11520}, {9735, 6150}), QPointF(2812.5, 2416.5));
    EXPECT_EQ(centredPosition({9000, 6000}, {10000, 7000}), QPointF(-500, -450)); // larger than the screen
}

TEST(WindowSize, EachWindowReadsItsOwnKeysAndANonNumberGivesTheDesignSize)
{
    test::TempRegistry temp;
    SettingsStore store{temp.registry};
    storeWindowSize(store, u"4"_s, {12000, 7500.5});
    EXPECT_EQ(store.get(u"Options"_s, u"Height4"_s, QString()), u"7500.5"_s);
    store.save(u"Options"_s, u"Width2"_s, u"wide"_s);
    store.save(u"Options"_s, u"Height2"_s, QString());

    EXPECT_EQ(storedWindowSize(store, u"4"_s), QSizeF(12000, 7500.5));
    EXPECT_EQ(storedWindowSize(store, u"2"_s), QSizeF(9735, 6150));
    EXPECT_EQ(storedWindowSize(store, QString()), QSizeF(9735, 6150));
}

} // namespace
