#include "core/netware/VolumePaths.h"

#include <gtest/gtest.h>

using namespace corvane;

TEST(PathComponents, EmptyAndDotPartsAreDroppedAndDotDotTakesBackOne)
{
    EXPECT_EQ(pathComponents("", false), QByteArrayList());
    EXPECT_EQ(pathComponents("/", false), QByteArrayList());
    EXPECT_EQ(pathComponents("//data/./docs//", false), (QByteArrayList{"data", "docs"}));
    EXPECT_EQ(pathComponents("data/old/../docs/report.doc", false),
              (QByteArrayList{"data", "docs", "report.doc"}));
    EXPECT_EQ(pathComponents("data/..", false), QByteArrayList());
    EXPECT_EQ(pathComponents("...", false), QByteArrayList{"..."});
}

TEST(PathComponents, ClimbingAboveTheStartFails)
{
    EXPECT_FALSE(pathComponents("..", false));
    EXPECT_FALSE(pathComponents("data/../../etc", false));
    EXPECT_FALSE(pathComponents("DATA\\..\\..", true));
}

TEST(PathComponents, BackslashSeparatesOnlyWhenAsked)
{
    EXPECT_EQ(pathComponents("DATA\\DOCS/X", true), (QByteArrayList{"DATA", "DOCS", "X"}));
    EXPECT_EQ(pathComponents("a\\b/c", false), (QByteArrayList{"a\\b", "c"}));
    // Names keep whatever bytes they hold.
    EXPECT_EQ(pathComponents(QByteArray("it's \"odd\"\n\xE9.txt/x y", 20), false),
              (QByteArrayList{QByteArray("it's \"odd\"\n\xE9.txt", 16), "x y"}));
}

TEST(CaseFolded, NamesEqualIgnoringCaseGiveOneKeyAndOtherBytesSurvive)
{
    EXPECT_EQ(caseFolded("Data/report.Doc"), caseFolded("DATA/REPORT.DOC"));
    EXPECT_EQ(caseFolded("caf\xC3\xA9"), caseFolded("CAF\xC3\x89"));
    EXPECT_EQ(caseFolded("caf\xE9.txt"), QByteArray("CAF\xE9.TXT"));
    EXPECT_NE(caseFolded("caf\xE9"), caseFolded("caf\xE8"));
}
