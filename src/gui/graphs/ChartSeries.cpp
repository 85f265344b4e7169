#include "gui/graphs/ChartSeries.h"

#include <algorithm>
#include <array>

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

std::pair<double, double> valueRange(const ChartData& data)
{
    double low = 0;
    double high = 1;
    for (const QList<std::optional<double>>& row : data.points) {
        for (const std::optional<double>& value : row) {
            if (value) {
                low = std::min(low, *value);
                high = std::max(high, *value);
            }
        }
    }
    return {low, high};
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
