#include "gui/graphs/ChartView.h"
#include "gui/graphs/ThreeDChartBuilder.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtDataVisualization/QAbstract3DGraph>

#include <gtest/gtest.h>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

// These tests draw for real: they run under Xvfb with the xcb platform and Mesa's OpenGL.
class ChartView3DTest : public ::testing::TestWithParam<ChartType>
{
protected:
    static ChartData fourDays()
    {
        ChartData data;
        data.columnLabels = {u"Deleted"_s, u"New"_s, u"Modified"_s};
        data.rowLabels = {u"12/01/2026"_s, QString(), QString(), u"12/04/2026"_s};
        data.points = {{1.0, 5.0, 2.0}, {3.0, std::nullopt, 4.0}, {2.0, 7.0, 1.0}, {4.0, 6.0, 3.0}};
        return data;
    }

    // How many sampled pixels of the middle of the picture are not the background.
    static int drawnPixels(const QImage& image)
    {
        const QRgb background = image.pixel(1, image.height() / 2);
        int drawn = 0;
        for (int y = image.height() / 4; y < image.height() * 3 / 4; y += 3) {
            for (int x = image.width() / 4; x < image.width() * 3 / 4; x += 3)
                drawn += image.pixel(x, y) != background ? 1 : 0;
        }
        return drawn;
    }
};

TEST_P(ChartView3DTest, GetsAContextAndRendersTheGraph)
{
    ASSERT_EQ(QGuiApplication::platformName(), u"xcb"_s) << "run under xvfb-run with QT_QPA_PLATFORM=xcb";
    ASSERT_TRUE(threeDChartsAvailable()) << "no OpenGL context on this display";

    ChartView view;
    view.setChartData(fourDays());
    view.setTitle(u"File Activity"_s);
    view.setChartType(chartTypeCode(GetParam(), true));
    view.resize(640, 480);
    view.show();
    QCoreApplication::processEvents();

    EXPECT_FALSE(view.fellBackToFlat());
    EXPECT_EQ(view.chartType(), chartTypeCode(GetParam(), true));
    ASSERT_NE(view.threeDGraph(), nullptr);
    const QImage image = view.chartImage(QSize(640, 480));
    EXPECT_TRUE(view.threeDGraph()->hasContext());
    EXPECT_EQ(image.size(), QSize(640, 480));
    EXPECT_GT(drawnPixels(image), 500);
}

INSTANTIATE_TEST_SUITE_P(AllTypes, ChartView3DTest,
                         ::testing::Values(ChartType::Bar, ChartType::Line, ChartType::Area,
                                           ChartType::Step));

} // namespace
