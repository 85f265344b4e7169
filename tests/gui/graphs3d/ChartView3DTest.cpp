#include "gui/graphs/ChartSeries.h"
#include "gui/graphs/ChartView.h"
#include "gui/graphs/ThreeDChartBuilder.h"

#include <QCoreApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QtDataVisualization/Q3DBars>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/QAbstract3DGraph>
#include <QtDataVisualization/QSurface3DSeries>
#include <QtDataVisualization/QSurfaceDataProxy>
#include <QtDataVisualization/QValue3DAxis>
#include <QTest>
#include <QVBoxLayout>

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
            if (pixel.hslSaturation() > 80 && pixel.lightness() > 40 &&
                std::min(distance, 360 - distance) < 12)
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

// Five days of the five daily totals, Opened far above the rest; Deleted and Archived alike.
ChartData fileActivity(int days = 5)
{
    ChartData data;
    data.columnLabels = {u"Deleted"_s, u"New"_s, u"Modified"_s, u"Opened"_s, u"Archived"_s};
    const QList<QList<std::optional<double>>> week = {{1.0, 3.0, 4.0, 12.0, 1.0},
                                                      {2.0, 4.0, 7.0, 8.0, 2.0},
                                                      {1.0, 6.0, 3.0, 10.0, 1.0},
                                                      {1.0, 2.0, 5.0, 9.0, 1.0},
                                                      {2.0, 3.0, 4.0, 11.0, 2.0}};
    for (int day = 0; day < days; ++day) {
        data.rowLabels.append(day == 0 || day == days - 1 ? u"12/%1/2026"_s.arg(day + 1, 2, 10, QChar(u'0'))
                                                          : QString());
        data.points.append(week[day % week.size()]);
    }
    return data;
}

// A chart as the chart window shows it, without title and legend.
struct ShownGraph
{
    explicit ShownGraph(const ChartData& data, ChartType type)
    {
        view.setChartData(data);
        view.setChartType(chartTypeCode(type, true));
        view.setLegendVisible(false);
        view.resize(633, 336);
        view.show();
        QCoreApplication::processEvents();
    }
    // As the chart is printed: fitted to the picture's size.
    QImage picture() const { return view.chartImage(QSize(633, 336)); }

    ChartView view;
};

// Bars and areas stand by size, the smallest in front: Archived, as low as Deleted, shows as
// much as Deleted does, not hidden behind the tall Opened.
TEST_F(ChartView3DFixture, ALowSeriesIsNotHiddenBehindATallOne)
{
    for (const ChartType type : {ChartType::Bar, ChartType::Area}) {
        const ShownGraph graph(fileActivity(), type);
        const QImage image = graph.picture();
        const int deleted = pixelsOfHue(image, seriesColor(0));
        const int archived = pixelsOfHue(image, seriesColor(4));
        EXPECT_GT(deleted, 200) << chartTypeCode(type, true);
        EXPECT_GT(archived, deleted / 2)
            << chartTypeCode(type, true) << ": " << archived << " of " << deleted;
    }
}

// Labels along the front edges (the last day, the front series) stay inside the picture, over a
// week and over a month.
TEST_F(ChartView3DFixture, NothingIsCutAtTheEdgesOfThePicture)
{
    for (const int days : {5, 31}) {
        for (const ChartType type : {ChartType::Bar, ChartType::Area, ChartType::Line, ChartType::Step}) {
            const ShownGraph graph(fileActivity(days), type);
            const QImage image = graph.picture();
            const QRgb background = image.pixel(0, 0);
            int onEdge = 0;
            for (int x = 0; x < image.width(); ++x)
                onEdge +=
                    (image.pixel(x, 1) != background) + (image.pixel(x, image.height() - 2) != background);
            for (int y = 0; y < image.height(); ++y)
                onEdge +=
                    (image.pixel(1, y) != background) + (image.pixel(image.width() - 2, y) != background);
            EXPECT_EQ(onEdge, 0) << days << " days, type " << chartTypeCode(type, true);
        }
    }
}

// The share of the picture's width and height that what is drawn spans, in percent.
QSize drawnSpan(const QImage& image)
{
    const QRgb background = image.pixel(0, 0);
    QRect drawn;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background)
                drawn |= QRect(x, y, 1, 1);
        }
    }
    return {100 * drawn.width() / image.width(), 100 * drawn.height() / image.height()};
}

// The options window's sample, a box about as wide as high, and the wide chart window: the graph
// fills each, seen from as near as its labels allow.
TEST_F(ChartView3DFixture, TheGraphFillsItsBoxWhateverItsShape)
{
    for (const QSize box : {QSize(337, 288), QSize(633, 336), QSize(1266, 672)}) {
        for (const ChartType type : {ChartType::Line, ChartType::Bar}) {
            ShownGraph graph(fileActivity(), type);
            graph.view.resize(box);
            QCoreApplication::processEvents();
            QWindow* window = graph.view.threeDGraph();
            const QSize span = drawnSpan(graph.view.threeDGraph()->renderToImage(0, window->size()));
            // A wide box is filled by height, as far as the labels below the floor allow.
            const bool wide = box.width() > box.height() * 3 / 2;
            EXPECT_TRUE(wide ? span.height() >= 85 : span.width() >= 75 && span.height() >= 80)
                << box.width() << "x" << box.height() << " type " << chartTypeCode(type, true) << ": "
                << span.width() << "% x " << span.height() << "%";
        }
    }
}

// Over many days the floor keeps room across for the series, so their names stay apart.
TEST_F(ChartView3DFixture, TheSeriesKeepRoomAcrossOverAMonth)
{
    const ShownGraph bars(fileActivity(31), ChartType::Bar);
    auto* barGraph = qobject_cast<Q3DBars*>(bars.view.threeDGraph());
    ASSERT_NE(barGraph, nullptr);
    const double across = 5 * barGraph->barThickness() * (1 + barGraph->barSpacing().width());
    const double along = 31 * (1 + barGraph->barSpacing().height());
    EXPECT_GE(across / along, 0.5 - 1e-6);

    const ShownGraph area(fileActivity(31), ChartType::Area);
    auto* surface = qobject_cast<Q3DSurface*>(area.view.threeDGraph());
    ASSERT_NE(surface, nullptr);
    EXPECT_GE(surface->horizontalAspectRatio(), 0.5F);
}

// Counts take whole-number steps, labelled without decimals: no 2.8 or 0.5 files.
TEST_F(ChartView3DFixture, CountsTakeWholeNumberSteps)
{
    const ShownGraph bars(fileActivity(), ChartType::Bar);
    const QValue3DAxis* values = qobject_cast<Q3DBars*>(bars.view.threeDGraph())->valueAxis();
    EXPECT_EQ(values->min(), 0.0F);
    EXPECT_EQ(values->max(), 15.0F);
    EXPECT_EQ(values->segmentCount(), 3);
    EXPECT_EQ(values->labelFormat(), u"%.0f"_s);

    ChartData perUser;
    perUser.columnLabels = {u"Deleted"_s};
    perUser.rowLabels = {u"12/01/2026"_s, u"12/02/2026"_s};
    perUser.points = {{1.0}, {2.0}};
    const ShownGraph line(perUser, ChartType::Line);
    const QValue3DAxis* counts = qobject_cast<Q3DSurface*>(line.view.threeDGraph())->axisY();
    EXPECT_EQ(counts->max(), 2.0F);
    EXPECT_EQ(counts->segmentCount(), 2);
    EXPECT_EQ(counts->labelFormat(), u"%.0f"_s);
}

// An area is a solid block, not a row of bars: its top runs from each day's value straight to
// the next one's, and its walls stand on the floor all round.
TEST_F(ChartView3DFixture, AnAreaIsABlockWhoseTopRunsFromDayToDay)
{
    ChartData data;
    data.columnLabels = {u"New"_s};
    data.rowLabels = {u"12/01/2026"_s, QString(), u"12/03/2026"_s};
    data.points = {{2.0}, {6.0}, {4.0}};
    const ShownGraph area(data, ChartType::Area);
    auto* surface = qobject_cast<Q3DSurface*>(area.view.threeDGraph());
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(surface->seriesList().size(), 1);
    const QSurfaceDataArray& rows = *surface->seriesList().first()->dataProxy()->array();
    ASSERT_EQ(rows.size(), 5); // a wall, the three days, a wall
    QList<float> tops;
    for (qsizetype row = 0; row < rows.size(); ++row) {
        const QSurfaceDataRow& across = *rows[row];
        ASSERT_EQ(across.size(), 4);
        EXPECT_EQ(across.first().y(), 0.0F);
        EXPECT_EQ(across.last().y(), 0.0F);
        EXPECT_EQ(across[1].y(), across[2].y());
        tops.append(across[1].y());
        if (row > 0) {
            EXPECT_GT(across[1].z(), (*rows[row - 1])[1].z()); // one day after the other
        }
    }
    EXPECT_EQ(tops, (QList<float>{0.0F, 2.0F, 6.0F, 4.0F, 0.0F}));
}

INSTANTIATE_TEST_SUITE_P(AllTypes, ChartView3DTest,
                         ::testing::Values(ChartType::Bar, ChartType::Line, ChartType::Area,
                                           ChartType::Step));

} // namespace
