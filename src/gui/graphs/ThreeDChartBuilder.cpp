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
    graph->scene()->activeCamera()->setCameraPosition(-22, 30, 85);
}

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
// Each series has a column of bars of its own, the days running down the rows: bars of
// several series share a cell side by side across its columns, so only with the days along
// the rows do the bars of a series meet as a solid band in an area graph. The first series
// takes the last column and the camera looks from the side of the last day, so the first
// series stands in front and the days run from left to right.
Q3DBars* barGraph(const ChartData& data, ChartType type)
{
    auto* graph = new Q3DBars;
    setUpGraph(graph);
    QStringList columnNames = data.columnLabels;
    std::reverse(columnNames.begin(), columnNames.end());
    for (int column = 0; column < data.columnCount(); ++column) {
        auto* series = new QBar3DSeries;
        series->dataProxy()->resetArray(seriesBars(data, column, data.columnCount() - 1 - column),
                                        data.rowLabels, columnNames);
        series->setMesh(QAbstract3DSeries::MeshBar);
        series->setName(data.columnLabels[column]);
        graph->addSeries(series);
        series->setBaseColor(seriesColor(column)); // after adding: the graph's theme colours it
    }
    graph->setBarThickness(type == ChartType::Area ? 1.0F : 0.6F);
    graph->setBarSpacing(type == ChartType::Area ? QSizeF(1.0, 0.0) : QSizeF(1.0, 0.5));
    graph->valueAxis()->setLabelFormat(QStringLiteral("%g"));
    // Seen from higher than the ribbons, so the series names on the floor stay apart.
    graph->scene()->activeCamera()->setCameraPosition(-112, 40, 80);
    return graph;
}

// The ribbon of one run: two edges across the series' place on the depth axis. Where a step
// jumps, two points share a day; the first moves back a little, as a surface needs its
// points in increasing order.
QSurfaceDataArray* ribbon(const QList<QPointF>& run, int column)
{
    QList<QPointF> points =
        run.size() == 1 ? QList<QPointF>{run[0] - QPointF(0.2, 0), run[0] + QPointF(0.2, 0)} : run;
    for (qsizetype i = 1; i < points.size(); ++i) {
        if (points[i].x() <= points[i - 1].x())
            points[i - 1].rx() = points[i].x() - 0.03;
    }
    auto* array = new QSurfaceDataArray;
    for (const float depth : {column - 0.3F, column + 0.3F}) {
        auto* edge = new QSurfaceDataRow;
        for (const QPointF& point : points)
            edge->append(QSurfaceDataItem(
                QVector3D(static_cast<float>(point.x()), static_cast<float>(point.y()), depth)));
        array->append(edge);
    }
    return array;
}

Q3DSurface* ribbonGraph(const ChartData& data, ChartType type)
{
    auto* graph = new Q3DSurface;
    setUpGraph(graph);
    for (int column = 0; column < data.columnCount(); ++column) {
        for (QList<QPointF> run : pointRuns(data, column)) {
            auto* series = new QSurface3DSeries;
            series->dataProxy()->resetArray(
                ribbon(type == ChartType::Step ? steppedPoints(run) : run, column));
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
    LabelledAxisFormatter::Labels names;
    for (int column = 0; column < data.columnCount(); ++column)
        names.append({static_cast<float>(column), data.columnLabels[column]});
    graph->axisX()->setFormatter(new LabelledAxisFormatter(days));
    graph->axisX()->setRange(-0.5F, std::max(data.rowCount(), 1) - 0.5F);
    graph->axisZ()->setFormatter(new LabelledAxisFormatter(names));
    graph->axisZ()->setRange(-0.5F, std::max(data.columnCount(), 1) - 0.5F);
    graph->axisY()->setLabelFormat(QStringLiteral("%g"));
    const auto [low, high] = valueRange(data);
    graph->axisY()->setRange(static_cast<float>(low), static_cast<float>(high));
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

QAbstract3DGraph* buildThreeDGraph(const ChartData& data, ChartType type)
{
    if (type == ChartType::Bar || type == ChartType::Area)
        return barGraph(data, type);
    return ribbonGraph(data, type);
}

} // namespace corvane
