#include "gui/graphs/ChartSeries.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace corvane {

QColor seriesColor(int column)
{
    static constexpr std::array<QRgb, 8> palette{0x209fdf, 0x99ca53, 0xf6a625, 0x6d5fd5,
                                                 0xbf593e, 0x2f8f83, 0xd14f96, 0x7a7a7a};
    return QColor::fromRgb(palette[static_cast<std::size_t>(column) % palette.size()]);
}

QList<QList<QPointF>> pointRuns(const ChartData& data, int column)
{
    QList<QList<QPointF>> runs;
    bool inRun = false;
    for (int row = 0; row < data.rowCount(); ++row) {
        const std::optional<double> value = row < data.points.size() && column < data.points[row].size()
                                                ? data.points[row][column]
                                                : std::nullopt;
        if (!value) {
            inRun = false;
            continue;
        }
        if (!inRun)
            runs.append(QList<QPointF>());
        runs.last().append(QPointF(row, *value));
        inRun = true;
    }
    return runs;
}

namespace {

constexpr double stepsWanted = 5;

// The smallest of 1, 2 and 5 times a power of ten that is at least the given size.
double roundStep(double atLeast)
{
    const double power = std::pow(10.0, std::floor(std::log10(atLeast)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= atLeast * (1 - 1e-9))
            return factor * power;
    }
    return 10 * power;
}

QString labelFormatFor(double step)
{
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    return QStringLiteral("%.%1f").arg(decimals);
}

} // namespace

int ValueScale::steps() const
{
    return static_cast<int>(std::lround((high - low) / step));
}

ValueScale valueScale(const ChartData& data)
{
    double low = 0;
    double high = 1;
    bool whole = true;
    for (const QList<std::optional<double>>& row : data.points) {
        for (const std::optional<double>& value : row) {
            if (value) {
                low = std::min(low, *value);
                high = std::max(high, *value);
                whole = whole && std::trunc(*value) == *value;
            }
        }
    }
    double step = roundStep((high - low) / stepsWanted);
    if (whole)
        step = std::max(step, 1.0);
    return {std::floor(low / step) * step, std::ceil(high / step) * step, step, labelFormatFor(step)};
}

namespace {

double seriesTotal(const ChartData& data, int column)
{
    double total = 0;
    for (const QList<std::optional<double>>& row : data.points)
        total += row.value(column).value_or(0.0);
    return total;
}

} // namespace

QList<int> seriesBackToFront(const ChartData& data)
{
    QList<int> columns;
    for (int column = 0; column < data.columnCount(); ++column)
        columns.append(column);
    std::stable_sort(columns.begin(), columns.end(), [&data](int one, int other) {
        return seriesTotal(data, one) > seriesTotal(data, other);
    });
    return columns;
}

QList<QPointF> steppedPoints(const QList<QPointF>& run)
{
    QList<QPointF> points;
    for (qsizetype i = 0; i < run.size(); ++i) {
        if (i > 0)
            points.append(QPointF(run[i].x(), run[i - 1].y()));
        points.append(run[i]);
    }
    return points;
}

} // namespace corvane
