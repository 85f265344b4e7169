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
    const auto [low, high] = valueRange(data);
    auto* axis = new QValueAxis;
    axis->setRange(low, high);
    axis->applyNiceNumbers();
    axis->setLabelFormat(QStringLiteral("%g"));
    return axis;
}

// One piece per run of set points; only the first piece of a series shows in the legend.
QList<QAbstractSeries*> linePieces(const ChartData& data, int column, ChartType type)
{
    QList<QList<QPointF>> runs = pointRuns(data, column);
    if (runs.isEmpty())
        runs.append(QList<QPointF>()); // a series with no set point still has its place in the legend
    QList<QAbstractSeries*> pieces;
    for (QList<QPointF> run : runs) {
        if (type == ChartType::Step)
            run = steppedPoints(run);
        if (type == ChartType::Area && run.size() == 1)
            run = {run[0] - QPointF(0.3, 0), run[0] + QPointF(0.3, 0)}; // a lone day as a narrow band
        auto* line = new QLineSeries;
        line->append(run);
        line->setColor(seriesColor(column));
        QAbstractSeries* piece = line;
        if (type == ChartType::Area) {
            auto* area = new QAreaSeries(line);
            area->setColor(seriesColor(column));
            area->setBorderColor(seriesColor(column).darker(130));
            area->setOpacity(0.85);
            QPen border = area->pen();
            border.setWidthF(2);
            area->setPen(border);
            piece = area;
        } else {
            line->setPointsVisible(true);
            QPen pen = line->pen();
            pen.setWidthF(2.5);
            line->setPen(pen);
        }
        piece->setName(data.columnLabels[column]);
        pieces.append(piece);
    }
    return pieces;
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

qreal seriesTotal(const ChartData& data, int column)
{
    qreal total = 0;
    for (const QList<std::optional<double>>& row : data.points)
        total += row.value(column).value_or(0.0);
    return total;
}

// Series in column order; areas the largest first, so each lies in front of the larger ones
// and none is hidden behind another.
QList<int> drawingOrder(const ChartData& data, ChartType type)
{
    QList<int> columns;
    for (int column = 0; column < data.columnCount(); ++column)
        columns.append(column);
    if (type == ChartType::Area) {
        std::stable_sort(columns.begin(), columns.end(), [&data](int one, int other) {
            return seriesTotal(data, one) > seriesTotal(data, other);
        });
    }
    return columns;
}

void attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* rows, QAbstractAxis* values)
{
    chart->addSeries(series);
    series->attachAxis(rows);
    series->attachAxis(values);
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
    for (const int column : drawingOrder(data, type)) {
        const QList<QAbstractSeries*> pieces = linePieces(data, column, type);
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            attach(chart, pieces[i], rows, values);
            if (i > 0) {
                for (QLegendMarker* marker : chart->legend()->markers(pieces[i]))
                    marker->setVisible(false);
            }
        }
    }
    return chart;
}

} // namespace corvane
