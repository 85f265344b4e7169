#include "gui/graphs/ChartSeries.h"
#include "gui/graphs/ChartView.h"
#include "gui/graphs/ThreeDChartBuilder.h"

#include <QCoreApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QTest>
#include <QVBoxLayout>
#include <QtDataVisualization/QAbstract3DGraph>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

// These tests draw for real: they run under Xvfb with the xcb platform and Mesa's OpenGL.
class ChartView3DFixture : public ::testing::Test
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

class ChartView3DTest : public ChartView3DFixture, public ::testing::WithParamInterface<ChartType>
{
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

// The share of sampled pixels in which two pictures of the same size differ, in percent.
double differingPercent(const QImage& one, const QImage& other)
{
    int differing = 0;
    int sampled = 0;
    for (int y = 0; y < one.height(); y += 2) {
        for (int x = 0; x < one.width(); x += 2, ++sampled)
            differing += one.pixel(x, y) != other.pixel(x, y) ? 1 : 0;
    }
    return 100.0 * differing / sampled;
}

// Switching types and a second chart that comes and goes (the options window's sample while
// a chart window is open) leave a 3D chart drawn as it was, axes and labels included.
TEST_F(ChartView3DFixture, ChartsComingAndGoingLeaveAThreeDChartIntact)
{
    const auto showBars = [](ChartView& view) {
        view.setChartData(fourDays());
        view.setChartType(chartTypeCode(ChartType::Bar, true));
        view.resize(640, 480);
        view.show();
        QCoreApplication::processEvents();
    };
    ChartView sample;
    showBars(sample);
    const QImage before = sample.chartImage(QSize(640, 480));
    {
        ChartView chart;
        showBars(chart);
        chart.setChartType(chartTypeCode(ChartType::Line, true));
        chart.setChartType(chartTypeCode(ChartType::Bar, true));
        EXPECT_LT(differingPercent(chart.chartImage(QSize(640, 480)), before), 1.0);
    }
    EXPECT_LT(differingPercent(sample.chartImage(QSize(640, 480)), before), 1.0);
}

// How many pixels of the picture show the hue of the colour, in whatever light.
int pixelsOfHue(const QImage& image, const QColor& colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const int distance = std::abs(pixel.hslHue() - colour.hslHue());
            if (pixel.hslSaturation() > 80 && pixel.lightness() > 40 && std::min(distance, 360 - distance) < 12)
                ++count;
        }
    }
    return count;
}

// Each series of a bar or area graph has its own colour, the one its legend entry shows.
TEST_F(ChartView3DFixture, BarAndAreaSeriesAreDrawnEachInTheColourOfItsLegendEntry)
{
    for (const ChartType type : {ChartType::Bar, ChartType::Area}) {
        ChartView view;
        view.setChartData(fourDays());
        view.setChartType(chartTypeCode(type, true));
        view.setLegendVisible(false); // only the graph's own bars count
        view.resize(640, 480);
        view.show();
        QCoreApplication::processEvents();
        const QImage image = view.chartImage(QSize(640, 480));
        const QColor first = seriesColor(0);
        const QColor second = seriesColor(1);
        EXPECT_GT(pixelsOfHue(image, first), 300) << chartTypeCode(type, true);
        EXPECT_GT(pixelsOfHue(image, second), 300) << chartTypeCode(type, true);
    }
}

// The graph is a window of its own that takes the keyboard once clicked; Esc must still reach
// the dialog the chart sits in.
TEST_F(ChartView3DFixture, EscapeAfterAClickOnTheGraphClosesItsDialog)
{
    QDialog dialog;
    auto* view = new ChartView(&dialog);
    (new QVBoxLayout(&dialog))->addWidget(view);
    view->setChartData(fourDays());
    view->setChartType(chartTypeCode(ChartType::Bar, true));
    dialog.resize(640, 480);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QWindow* graph = view->threeDGraph();
    ASSERT_NE(graph, nullptr);
    QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(graph->width() / 2, graph->height() / 2));
    QTest::keyClick(graph, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

INSTANTIATE_TEST_SUITE_P(AllTypes, ChartView3DTest,
                         ::testing::Values(ChartType::Bar, ChartType::Line, ChartType::Area,
                                           ChartType::Step));

} // namespace
