#include "gui/graphs/ThreeDChartBuilder.h"

#include "gui/graphs/ChartSeries.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QtDataVisualization/Q3DBars>
#include <QtDataVisualization/Q3DCamera>
#include <QtDataVisualization/Q3DInputHandler>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/Q3DTheme>
#include <QtDataVisualization/QBar3DSeries>
#include <QtDataVisualization/QBarDataProxy>
#include <QtDataVisualization/QCategory3DAxis>
#include <QtDataVisualization/QSurface3DSeries>
#include <QtDataVisualization/QSurfaceDataProxy>
#include <QtDataVisualization/QValue3DAxis>
#include <QtDataVisualization/QValue3DAxisFormatter>

#include <algorithm>
#include <utility>

namespace corvane {

namespace {

// The graph's own handler rotates with the right button; here Ctrl and the left button do.
class CtrlRotateInputHandler : public Q3DInputHandler
{
public:
    using Q3DInputHandler::Q3DInputHandler;

    void mousePressEvent(QMouseEvent* event, const QPoint& position) override
    {
        if (event->button() == Qt::RightButton)
            return;
        if (event->button() == Qt::LeftButton && event->modifiers().testFlag(Qt::ControlModifier)) {
            m_rotating = true;
            QMouseEvent asRight = rightButtonEvent(*event);
            Q3DInputHandler::mousePressEvent(&asRight, position);
            return;
        }
        Q3DInputHandler::mousePressEvent(event, position);
    }

    void mouseReleaseEvent(QMouseEvent* event, const QPoint& position) override
    {
        if (m_rotating && event->button() == Qt::LeftButton) {
            m_rotating = false;
            QMouseEvent asRight = rightButtonEvent(*event);
            Q3DInputHandler::mouseReleaseEvent(&asRight, position);
            return;
        }
        Q3DInputHandler::mouseReleaseEvent(event, position);
    }

private:
    static QMouseEvent rightButtonEvent(const QMouseEvent& event)
    {
        return QMouseEvent(event.type(), event.position(), event.globalPosition(), Qt::RightButton,
                           Qt::RightButton, Qt::NoModifier);
    }

    bool m_rotating = false;
};

// A value axis labelled only at given values, with given texts: the labelled days along the
// ribbons, the series names across them.
class LabelledAxisFormatter : public QValue3DAxisFormatter
{
public:
    using Labels = QList<std::pair<float, QString>>;

    explicit LabelledAxisFormatter(Labels labels = {}) : m_labels(std::move(labels)) {}

protected:
    QValue3DAxisFormatter* createNewInstance() const override { return new LabelledAxisFormatter; }

    void populateCopy(QValue3DAxisFormatter& copy) const override
    {
        QValue3DAxisFormatter::populateCopy(copy);
        static_cast<LabelledAxisFormatter&>(copy).m_labels = m_labels;
    }

    void recalculate() override
    {
        gridPositions().clear();
        subGridPositions().clear();
        labelPositions().clear();
        labelStrings().clear();
        const float span = axis()->max() - axis()->min();
        for (const auto& [value, text] : m_labels) {
            const float position = span > 0 ? (value - axis()->min()) / span : 0.5F;
            gridPositions().append(position);
            labelPositions().append(position);
            labelStrings().append(text);
        }
    }

private:
    Labels m_labels;
};

void setUpGraph(QAbstract3DGraph* graph)
{
    graph->setActiveInputHandler(new CtrlRotateInputHandler(graph));
    graph->activeTheme()->setType(Q3DTheme::ThemeQt);
    graph->activeTheme()->setLabelBackgroundEnabled(false);
    graph->activeTheme()->setFont(QFont(QGuiApplication::font().family(), 30));
    graph->setShadowQuality(QAbstract3DGraph::ShadowQualityNone);
    graph->setSelectionMode(QAbstract3DGraph::SelectionNone);
    // From the front corner of the last day and the front place, high enough that the names
    // across the floor stay apart; aimed low, so the labels below the floor have room. How far
    // away follows the picture (fitThreeDGraphTo).
    graph->scene()->activeCamera()->setCameraPosition(-112, 50);
    graph->scene()->activeCamera()->setTarget(QVector3D(0, -1, 0));
}

void scaleValueAxis(QValue3DAxis* axis, const ChartData& data)
{
    const ValueScale scale = valueScale(data);
    axis->setRange(static_cast<float>(scale.low), static_cast<float>(scale.high));
    axis->setSegmentCount(scale.steps());
    axis->setSubSegmentCount(1);
    axis->setLabelFormat(scale.labelFormat);
}

// The floor is at least this much as wide across (the series' places) as long along (the days).
constexpr double minimumAcrossShare = 0.5;

// The bars of one series: the days along the rows, the series' value in its own column.
QBarDataArray* seriesBars(const ChartData& data, int column, int place)
{
    auto* array = new QBarDataArray;
    for (int day = 0; day < data.rowCount(); ++day) {
        auto* row = new QBarDataRow(place + 1);
        (*row)[place].setValue(static_cast<float>(data.points.value(day).value(column).value_or(0.0)));
        array->append(row);
    }
    return array;
}

// One QBar3DSeries per data series, as the graph draws all bars of a series in one colour.
// Each series has a column of bars of its own, the days running down the rows, so the bars
// of a series stand in a line. The camera looks from the side of the last day and the last
// column, which is the front: the series stand from back to front, the smallest in front, so
// that a low series is never hidden behind a tall one.
Q3DBars* barGraph(const ChartData& data)
{
    auto* graph = new Q3DBars;
    setUpGraph(graph);
    const QList<int> order = seriesBackToFront(data);
    QStringList placeNames;
    for (const int column : order)
        placeNames.append(data.columnLabels[column]);
    for (int place = 0; place < order.size(); ++place) {
        const int column = order[place];
        auto* series = new QBar3DSeries;
        series->dataProxy()->resetArray(seriesBars(data, column, place), data.rowLabels, placeNames);
        series->setMesh(QAbstract3DSeries::MeshBar);
        series->setName(data.columnLabels[column]);
        graph->addSeries(series);
        series->setBaseColor(seriesColor(column)); // after adding: the graph's theme colours it
    }
    // A bar is 0.6 as wide across as it is deep, or wider where many days would squeeze the
    // places across (and their names) together.
    constexpr QSizeF spacing(1.0, 0.5);
    const double across = data.columnCount() * (1 + spacing.width());
    const double along = data.rowCount() * (1 + spacing.height());
    graph->setBarThickness(
        static_cast<float>(std::max(0.6, minimumAcrossShare * along / std::max(across, 1.0))));
    graph->setBarSpacing(spacing);
    scaleValueAxis(graph->valueAxis(), data);
    return graph;
}

// A run's points as a surface takes them: a lone day widened to a short stretch, and where a
// step jumps (two points on one day) the first moved back a little, as a surface needs its
// points in increasing order.
QList<QPointF> surfacePoints(const QList<QPointF>& run)
{
    QList<QPointF> points =
        run.size() == 1 ? QList<QPointF>{run[0] - QPointF(0.2, 0), run[0] + QPointF(0.2, 0)} : run;
    for (qsizetype i = 1; i < points.size(); ++i) {
        if (points[i].x() <= points[i - 1].x())
            points[i - 1].rx() = points[i].x() - 0.03;
    }
    return points;
}

constexpr float halfWidth = 0.3F; // of a ribbon or a block, across its place
constexpr float wall = 0.001F;    // how far a block's walls lean: a surface cannot stand upright

// A series' surface runs along the days (the depth axis, as the bars' rows) at its place
// across (the bars' columns). Each row of the surface is one day: the heights across it, at the
// given offsets from the place, are the day's value or the floor.
struct Across
{
    float offset;
    bool onFloor;
};

QSurfaceDataArray* surfaceAlongDays(const QList<QPointF>& points, float place, const QList<Across>& across)
{
    auto* array = new QSurfaceDataArray;
    for (const QPointF& point : points) {
        auto* row = new QSurfaceDataRow;
        for (const Across& edge : across) {
            const float height = edge.onFloor ? 0.0F : static_cast<float>(point.y());
            row->append(
                QSurfaceDataItem(QVector3D(place + edge.offset, height, static_cast<float>(point.x()))));
        }
        array->append(row);
    }
    return array;
}

// The ribbon of one run: two edges at the values, either side of the series' place.
QSurfaceDataArray* ribbon(const QList<QPointF>& run, float place)
{
    return surfaceAlongDays(surfacePoints(run), place, {{-halfWidth, false}, {halfWidth, false}});
}

// The area of one run as a solid block: its top runs from day to day at the values, and its
// four walls go down to the floor, as the flat area is filled down to zero.
QSurfaceDataArray* block(const QList<QPointF>& run, float place)
{
    QList<QPointF> points = surfacePoints(run);
    points.prepend(QPointF(points.first().x() - wall, 0));
    points.append(QPointF(points.last().x() + wall, 0));
    QSurfaceDataArray* array = surfaceAlongDays(
        points, place,
        {{-halfWidth - wall, true}, {-halfWidth, false}, {halfWidth, false}, {halfWidth + wall, true}});
    for (QSurfaceDataRow* end : {array->first(), array->last()}) {
        for (QSurfaceDataItem& item : *end)
            item.setY(0);
    }
    return array;
}

// Ribbons (line, step) or blocks (area), one surface series per run of set points. The places
// across run from back (0) to front, as the bars' columns do: areas stand from back to front by
// size as the bars do; ribbons hide little and keep the columns' order, the first in front.
Q3DSurface* surfaceGraph(const ChartData& data, ChartType type)
{
    auto* graph = new Q3DSurface;
    setUpGraph(graph);
    QList<int> order;
    if (type == ChartType::Area) {
        order = seriesBackToFront(data);
    } else {
        for (int column = data.columnCount() - 1; column >= 0; --column)
            order.append(column);
    }
    LabelledAxisFormatter::Labels names;
    for (int place = 0; place < order.size(); ++place) {
        const int column = order[place];
        const auto at = static_cast<float>(place);
        names.append({at, data.columnLabels[column]});
        for (const QList<QPointF>& run : pointRuns(data, column)) {
            auto* series = new QSurface3DSeries;
            series->dataProxy()->resetArray(type == ChartType::Area   ? block(run, at)
                                            : type == ChartType::Step ? ribbon(steppedPoints(run), at)
                                                                      : ribbon(run, at));
            series->setDrawMode(QSurface3DSeries::DrawSurface);
            series->setFlatShadingEnabled(true);
            series->setBaseColor(seriesColor(column));
            series->setName(data.columnLabels[column]);
            graph->addSeries(series);
        }
    }
    LabelledAxisFormatter::Labels days;
    for (int row = 0; row < data.rowCount(); ++row) {
        if (!data.rowLabels[row].isEmpty())
            days.append({static_cast<float>(row), data.rowLabels[row]});
    }
    graph->axisZ()->setFormatter(new LabelledAxisFormatter(days));
    graph->axisZ()->setRange(-0.5F, std::max(data.rowCount(), 1) - 0.5F);
    graph->axisX()->setFormatter(new LabelledAxisFormatter(names));
    graph->axisX()->setRange(-0.5F, std::max(data.columnCount(), 1) - 0.5F);
    const double share = static_cast<double>(std::max(data.columnCount(), 1)) / std::max(data.rowCount(), 1);
    graph->setHorizontalAspectRatio(static_cast<float>(std::max(share, minimumAcrossShare)));
    scaleValueAxis(graph->axisY(), data);
    return graph;
}

} // namespace

bool threeDChartsAvailable()
{
    static const bool available = [] {
        const QString platform = QGuiApplication::platformName();
        if (platform == u"offscreen" || platform == u"minimal")
            return false;
        QOffscreenSurface surface;
        surface.create();
        QOpenGLContext context;
        if (!surface.isValid() || !context.create() || !context.makeCurrent(&surface))
            return false;
        context.doneCurrent();
        return true;
    }();
    return available;
}

void fitThreeDGraphTo(QAbstract3DGraph* graph, const QSizeF& picture)
{
    // The graph is scaled to the picture's height when the picture is at least 1.6 times as
    // wide as high, and to its width below that. Measured over a week and a month of five
    // series and over one series, these zoom levels leave the labels along the front edges
    // inside a picture of either kind; a surface spreads over a larger floor than the bars.
    constexpr double scaledByHeightFrom = 1.6;
    const double aspect = picture.height() > 0 ? picture.width() / picture.height() : 1.0;
    const double wideZoom = qobject_cast<Q3DBars*>(graph) != nullptr ? 70 : 62;
    const double zoom = std::min(wideZoom * std::max(1.0, scaledByHeightFrom / aspect), 100.0);
    graph->scene()->activeCamera()->setZoomLevel(static_cast<float>(zoom));
}

QAbstract3DGraph* buildThreeDGraph(const ChartData& data, ChartType type)
{
    if (type == ChartType::Bar)
        return barGraph(data);
    return surfaceGraph(data, type);
}

} // namespace corvane
