#include "gui/graphs/FlatChartBuilder.h"

#include "gui/graphs/ChartSeries.h"

#include <QAreaSeries>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>

namespace corvane {

namespace {

constexpr qsizetype dateLabelLength = 10; // "12/31/2026"

// A label longer than the room below the chart keeps its start and its end, where the
// directory or name that tells rows apart is; the axis would cut it after its start.
QString shortenedLabel(const QString& label)
{
    constexpr qsizetype kept = 16;
    constexpr qsizetype head = 5;
    if (label.size() <= kept)
        return label;
    return label.left(head) + QChar(0x2026) + label.right(kept - head - 1);
}

// The rows as positions 0 .. n-1, labelled where the data labels them.
QCategoryAxis* rowAxis(const ChartData& data)
{
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setRange(-0.5, std::max(data.rowCount(), 1) - 0.5);
    for (int row = 0; row < data.rowCount(); ++row) {
        const QString label = shortenedLabel(data.rowLabels[row]);
        // The axis keys its labels by text; a repeated one stays at its first row.
        if (!label.isEmpty() && !axis->categoriesLabels().contains(label))
            axis->append(label, row);
    }
    axis->setGridLineVisible(false);
    // Labels wider than a date (a custom statement's first column, a directory) would be cut
    // to fit beside each other; standing upright they get the room below the chart.
    const bool long_ = std::any_of(data.rowLabels.cbegin(), data.rowLabels.cend(),
                                   [](const QString& label) { return label.size() > dateLabelLength; });
    if (long_)
        axis->setLabelsAngle(-90);
    return axis;
}

QValueAxis* valueAxis(const ChartData& data)
{
    const ValueScale scale = valueScale(data);
    auto* axis = new QValueAxis;
    axis->setRange(scale.low, scale.high);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(scale.low);
    axis->setTickInterval(scale.step);
    axis->setLabelFormat(scale.labelFormat);
    return axis;
}

// The runs of set points of a series as drawn: a step as a staircase, a lone day of an area as
// a narrow band. A series with no set point still has one, empty, for its place in the legend.
QList<QList<QPointF>> drawnRuns(const ChartData& data, int column, ChartType type)
{
    QList<QList<QPointF>> runs = pointRuns(data, column);
    if (runs.isEmpty())
        runs.append(QList<QPointF>());
    for (QList<QPointF>& run : runs) {
        if (type == ChartType::Step)
            run = steppedPoints(run);
        if (type == ChartType::Area && run.size() == 1)
            run = {run[0] - QPointF(0.3, 0), run[0] + QPointF(0.3, 0)};
    }
    return runs;
}

QLineSeries* lineOf(const QList<QPointF>& run, const QColor& colour, qreal width)
{
    auto* line = new QLineSeries;
    line->append(run);
    QPen pen = line->pen();
    pen.setColor(colour);
    pen.setWidthF(width);
    line->setPen(pen);
    return line;
}

// One piece per run of set points.
QList<QAbstractSeries*> linePieces(const ChartData& data, int column, ChartType type)
{
    QList<QAbstractSeries*> pieces;
    for (const QList<QPointF>& run : drawnRuns(data, column, type)) {
        QLineSeries* line = lineOf(run, seriesColor(column), 2.5);
        QAbstractSeries* piece = line;
        if (type == ChartType::Area) {
            // The outline is drawn apart, above every area (see buildFlatChart).
            auto* area = new QAreaSeries(line);
            area->setColor(seriesColor(column));
            area->setPen(Qt::NoPen);
            area->setOpacity(0.85);
            piece = area;
        } else {
            line->setPointsVisible(true);
        }
        piece->setName(data.columnLabels[column]);
        pieces.append(piece);
    }
    return pieces;
}

QList<QAbstractSeries*> areaOutlines(const ChartData& data, int column)
{
    QList<QAbstractSeries*> outlines;
    for (const QList<QPointF>& run : drawnRuns(data, column, ChartType::Area))
        outlines.append(lineOf(run, seriesColor(column).darker(130), 2));
    return outlines;
}

QBarSeries* barSeries(const ChartData& data)
{
    auto* series = new QBarSeries;
    for (int column = 0; column < data.columnCount(); ++column) {
        auto* set = new QBarSet(data.columnLabels[column]);
        set->setColor(seriesColor(column));
        // A bar set holds a value for every row: an unset point draws no bar.
        for (int row = 0; row < data.rowCount(); ++row)
            set->append(data.points.value(row).value(column).value_or(0.0));
        series->append(set);
    }
    return series;
}

// Series in column order; areas from back to front.
QList<int> drawingOrder(const ChartData& data, ChartType type)
{
    if (type == ChartType::Area)
        return seriesBackToFront(data);
    QList<int> columns;
    for (int column = 0; column < data.columnCount(); ++column)
        columns.append(column);
    return columns;
}

void attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* rows, QAbstractAxis* values)
{
    chart->addSeries(series);
    series->attachAxis(rows);
    series->attachAxis(values);
}

// The legend shows a series once: its first piece, when it has a place there at all.
void attachPieces(QChart* chart, const QList<QAbstractSeries*>& pieces, QAbstractAxis* rows,
                  QAbstractAxis* values, bool inLegend)
{
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        attach(chart, pieces[i], rows, values);
        if (i > 0 || !inLegend) {
            for (QLegendMarker* marker : chart->legend()->markers(pieces[i]))
                marker->setVisible(false);
        }
    }
}

} // namespace

QChart* buildFlatChart(const ChartData& data, ChartType type)
{
    auto* chart = new QChart;
    QAbstractAxis* rows = rowAxis(data);
    QAbstractAxis* values = valueAxis(data);
    chart->addAxis(rows, Qt::AlignBottom);
    chart->addAxis(values, Qt::AlignLeft);
    if (type == ChartType::Bar) {
        attach(chart, barSeries(data), rows, values);
        return chart;
    }
    const QList<int> order = drawingOrder(data, type);
    for (const int column : order)
        attachPieces(chart, linePieces(data, column, type), rows, values, true);
    // Areas are drawn largest first, yet a smaller series can pass behind a larger one on some
    // days; the outlines of all of them lie above every area, so each one's values stay readable.
    if (type == ChartType::Area) {
        for (const int column : order)
            attachPieces(chart, areaOutlines(data, column), rows, values, false);
    }
    return chart;
}

} // namespace corvane
