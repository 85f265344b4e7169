#pragma once

#include "core/graphs/ChartData.h"

#include <QColor>
#include <QList>
#include <QPointF>
#include <QString>

namespace corvane {

// The colour of a series; flat and 3D charts and the 3D legend use the same ones.
QColor seriesColor(int column);

// The set points of one series as (row, value), cut where a point is unset: unset points are
// left out of a line, so each run is drawn as its own piece.
QList<QList<QPointF>> pointRuns(const ChartData& data, int column);

// The value axis of a chart: from low to high in steps of a round size (1, 2 or 5 times a power
// of ten), about five of them. Zero and one are always within, so counts stand on the floor;
// values that are all whole numbers, as counts are, take whole-number steps, labelled without
// decimals.
struct ValueScale
{
    double low = 0;
    double high = 1;
    double step = 1;
    QString labelFormat; // printf style, for the axes of both chart modules

    int steps() const;
};
ValueScale valueScale(const ChartData& data);

// The series from back to front: the largest total first, so that each stands before the
// larger ones and none is hidden behind another; equal ones in column order.
QList<int> seriesBackToFront(const ChartData& data);

// A run as a staircase: each value is held until the next row, where the line jumps.
QList<QPointF> steppedPoints(const QList<QPointF>& run);

} // namespace corvane
