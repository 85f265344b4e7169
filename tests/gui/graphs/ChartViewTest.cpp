#include "gui/graphs/ChartView.h"
#include "gui/graphs/ChartSeries.h"

#include <QAreaSeries>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

// Three days, two series; New has no value on the middle day.
ChartData threeDays()
{
    ChartData data;
    data.columnLabels = {u"Deleted"_s, u"New"_s};
    data.rowLabels = {u"12/01/2026"_s, QString(), u"12/03/2026"_s};
    data.points = {{1.0, 4.0}, {2.0, std::nullopt}, {3.0, 6.0}};
    return data;
}

class ChartViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.setChartData(threeDays());
        view.show();
    }

    QChart* chart() const
    {
        auto* flat = view.findChild<QChartView*>(u"flatChart"_s);
        return flat != nullptr ? flat->chart() : nullptr;
    }
    // The names the legend shows once the chart is on screen.
    QStringList legendNames() const
    {
        QCoreApplication::processEvents();
        QStringList names;
        for (QLegendMarker* marker : chart()->legend()->markers()) {
            if (marker->isVisible())
                names.append(marker->label());
        }
        return names;
    }
    QList<QLineSeries*> lines() const
    {
        QList<QLineSeries*> result;
        for (QAbstractSeries* series : chart()->series()) {
            if (auto* line = qobject_cast<QLineSeries*>(series))
                result.append(line);
        }
        return result;
    }

    ChartView view;
};

TEST_F(ChartViewTest, LineChartNamesSeriesAfterFieldsLabelsFirstAndLastDayAndLeavesOutUnsetPoints)
{
    view.setChartType(chartTypeCode(ChartType::Line, false));
    ASSERT_NE(chart(), nullptr);
    EXPECT_EQ(legendNames(), QStringList({u"Deleted"_s, u"New"_s}));
    auto* days = qobject_cast<QCategoryAxis*>(chart()->axes(Qt::Horizontal).value(0));
    ASSERT_NE(days, nullptr);
    EXPECT_EQ(days->categoriesLabels(), QStringList({u"12/01/2026"_s, u"12/03/2026"_s}));
    // Deleted is one line of three points; New is cut where its point is unset.
    const QList<QLineSeries*> series = lines();
    ASSERT_EQ(series.size(), 3);
    EXPECT_EQ(series[0]->points(), QList<QPointF>({{0, 1}, {1, 2}, {2, 3}}));
    EXPECT_EQ(series[1]->points(), QList<QPointF>({{0, 4}}));
    EXPECT_EQ(series[2]->points(), QList<QPointF>({{2, 6}}));
}

// The colour a flat area chart of three days of two series shows at a point of its values.
QColor areaColourAt(ChartView& view, const QList<QList<std::optional<double>>>& points, const QPointF& at)
{
    ChartData data;
    data.columnLabels = {u"First"_s, u"Second"_s};
    data.rowLabels = {u"12/01/2026"_s, QString(), u"12/03/2026"_s};
    data.points = points;
    view.setChartData(data);
    view.setChartType(chartTypeCode(ChartType::Area, false));
    view.resize(600, 400);
    QCoreApplication::processEvents();
    auto* flat = view.findChild<QChartView*>(u"flatChart"_s);
    return flat->grab().toImage().pixelColor(flat->mapFromScene(flat->chart()->mapToPosition(at)));
}

// A small series that comes first must not vanish behind a larger one drawn over it: the
// middle of its area shows its own colour, not a blend.
TEST_F(ChartViewTest, AFlatAreaChartShowsASmallSeriesInItsOwnColour)
{
    // Day 2, half the small value.
    const QColor shown = areaColourAt(view, {{2.0, 10.0}, {2.0, 10.0}, {2.0, 10.0}}, QPointF(1, 1));
    const QColor small = seriesColor(0);
    EXPECT_LT(std::abs(shown.hslHue() - small.hslHue()), 15) << shown.name().toStdString();
    EXPECT_GT(shown.hslSaturation(), small.hslSaturation() * 3 / 4) << shown.name().toStdString();
}

// The areas are drawn largest first, yet on its second day First (the larger in all) lies
// behind Second: its outline still shows there, above every area.
TEST_F(ChartViewTest, AFlatAreaBehindALargerOneOnSomeDayStillShowsItsOutline)
{
    const QColor shown = areaColourAt(view, {{10.0, 2.0}, {2.0, 6.0}, {2.0, 2.0}}, QPointF(1, 2));
    EXPECT_EQ(legendNames(), QStringList({u"First"_s, u"Second"_s}));
    EXPECT_LT(std::abs(shown.hslHue() - seriesColor(0).hslHue()), 15) << shown.name().toStdString();
}

// Counts take whole-number steps labelled without decimals; other values take round steps.
TEST_F(ChartViewTest, TheValueAxisStepsAreRoundAndWholeForCounts)
{
    const auto valueAxis = [this] { return qobject_cast<QValueAxis*>(chart()->axes(Qt::Vertical).value(0)); };
    view.setChartType(chartTypeCode(ChartType::Line, false));
    ASSERT_NE(valueAxis(), nullptr);
    EXPECT_EQ(valueAxis()->tickType(), QValueAxis::TicksDynamic);
    EXPECT_EQ(valueAxis()->min(), 0.0);
    EXPECT_EQ(valueAxis()->max(), 6.0);
    EXPECT_EQ(valueAxis()->tickInterval(), 2.0);
    EXPECT_EQ(valueAxis()->labelFormat(), u"%.0f"_s);

    ChartData data;
    data.columnLabels = {u"Deleted"_s};
    data.rowLabels = {u"12/01/2026"_s, u"12/02/2026"_s};
    data.points = {{1.0}, {2.0}}; // a per-user chart: 0.5 and 1.5 files make no sense
    view.setChartData(data);
    EXPECT_EQ(valueAxis()->max(), 2.0);
    EXPECT_EQ(valueAxis()->tickInterval(), 1.0);

    data.points = {{0.25}, {0.5}};
    view.setChartData(data);
    EXPECT_EQ(valueAxis()->max(), 1.0);
    EXPECT_NEAR(valueAxis()->tickInterval(), 0.2, 1e-12);
    EXPECT_EQ(valueAxis()->labelFormat(), u"%.1f"_s);
}

// Labels from a custom statement's first column may be long: each stays within the chart.
TEST_F(ChartViewTest, LongRowLabelsStayWithinTheChart)
{
    ChartData data;
    data.columnLabels = {u"Files"_s};
    data.rowLabels = {u"\\\\CORVANE\\VOL1:\\Projects\\Reports"_s,
                      u"\\\\CORVANE4\\DATA:\\Archive\\Year End"_s};
    data.points = {{3.0}, {5.0}};
    view.setChartData(data);
    view.setChartType(chartTypeCode(ChartType::Line, false));
    view.resize(400, 400);
    QCoreApplication::processEvents();
    auto* flat = view.findChild<QChartView*>(u"flatChart"_s);
    const QRectF scene = flat->scene()->sceneRect();
    int labels = 0;
    for (const QGraphicsItem* item : flat->scene()->items()) {
        const auto* text = dynamic_cast<const QGraphicsTextItem*>(item);
        if (text == nullptr || !text->isVisible() || !text->toPlainText().startsWith(u"\\\\COR"_s))
            continue;
        ++labels;
        // The end of a directory tells the rows apart: it is shown, the label is not cut further.
        const QString shown = text->toPlainText();
        EXPECT_FALSE(shown.endsWith(u"..."_s)) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(u"Reports"_s) || shown.endsWith(u"Year End"_s)) << shown.toStdString();
        EXPECT_TRUE(scene.contains(text->sceneBoundingRect())) << text->toPlainText().toStdString();
    }
    EXPECT_EQ(labels, 2);
}

TEST_F(ChartViewTest, EachFlatTypeDrawsItsOwnKindOfSeries)
{
    view.setChartType(chartTypeCode(ChartType::Step, false));
    EXPECT_EQ(lines().value(0)->points(), QList<QPointF>({{0, 1}, {1, 1}, {1, 2}, {2, 2}, {2, 3}}));

    view.setChartType(chartTypeCode(ChartType::Area, false));
    ASSERT_FALSE(chart()->series().isEmpty());
    EXPECT_NE(qobject_cast<QAreaSeries*>(chart()->series().first()), nullptr);
    EXPECT_EQ(legendNames(), QStringList({u"New"_s, u"Deleted"_s})); // the larger behind, first

    view.setChartType(chartTypeCode(ChartType::Bar, false));
    ASSERT_EQ(chart()->series().size(), 1);
    const QList<QBarSet*> sets = qobject_cast<QBarSeries*>(chart()->series().first())->barSets();
    ASSERT_EQ(sets.size(), 2);
    EXPECT_EQ(sets[1]->label(), u"New"_s);
    EXPECT_EQ(sets[1]->at(1), 0.0); // unset: no bar
    EXPECT_EQ(sets[1]->at(2), 6.0);
}

TEST_F(ChartViewTest, TitleAndLegendFollowTheSettingsAndTheTypeCodeIsKept)
{
    view.setTitle(u"Activity"_s);
    view.setLegendVisible(false);
    view.setChartType(chartTypeCode(ChartType::Bar, false));
    EXPECT_EQ(chart()->title(), u"Activity"_s);
    EXPECT_FALSE(chart()->legend()->isVisible());
    EXPECT_FALSE(view.legendVisible());
    EXPECT_EQ(view.chartType(), 1);
    view.setLegendVisible(true);
    EXPECT_TRUE(chart()->legend()->isVisible());
}

TEST_F(ChartViewTest, ThreeDWithoutOpenGlIsDrawnFlatOfTheSameTypeAndSaysSo)
{
    const auto* label = view.findChild<QLabel*>(u"fallbackLabel"_s);
    view.setChartType(chartTypeCode(ChartType::Step, false));
    EXPECT_FALSE(view.fellBackToFlat());
    EXPECT_FALSE(label->isVisibleTo(&view));

    view.setChartType(chartTypeCode(ChartType::Area, true));
    EXPECT_EQ(view.chartType(), 4);
    EXPECT_TRUE(view.fellBackToFlat());
    EXPECT_TRUE(label->isVisibleTo(&view));
    EXPECT_EQ(label->text(), ChartView::flatFallbackText());
    ASSERT_NE(chart(), nullptr);
    EXPECT_NE(qobject_cast<QAreaSeries*>(chart()->series().first()), nullptr);
}

TEST_F(ChartViewTest, ChartImageHasTheAskedSizeAndShowsTheChart)
{
    view.setTitle(u"Activity"_s);
    const QImage image = view.chartImage(QSize(400, 300));
    EXPECT_EQ(image.size(), QSize(400, 300));
    const QRgb corner = image.pixel(0, 0);
    int differing = 0;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4)
            differing += image.pixel(x, y) != corner ? 1 : 0;
    }
    EXPECT_GT(differing, 100);
}

} // namespace
