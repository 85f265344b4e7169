#pragma once

#include "core/graphs/ChartData.h"

#include <QColor>
#include <QList>
#include <QPointF>

#include <utility>

namespace corvane {

// The colour of a series; flat and 3D charts and the 3D legend use the same ones.
QColor seriesColor(int column);

// The set points of one series as (row, value), cut where a point is unset: unset points are
// left out of a line, so each run is drawn as its own piece.
QList<QList<QPointF>> pointRuns(const ChartData& data, int column);

// The lowest and highest value to show: zero and at least one always included, so counts
// stand on the floor.
std::pair<double, double> valueRange(const ChartData& data);

// A run as a staircase: each value is held until the next row, where the line jumps.
QList<QPointF> steppedPoints(const QList<QPointF>& run);

} // namespace corvane
