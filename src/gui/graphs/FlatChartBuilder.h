#pragma once

#include "core/graphs/ChartData.h"

class QChart;

namespace corvane {

// A flat chart of the data: one series per column, one category per row. Line and step draw a
// line per series (step as a staircase), area fills each series down to zero, bar draws one
// bar set per series. Only the rows that carry a label are labelled on the horizontal axis.
// The caller owns the chart.
QChart* buildFlatChart(const ChartData& data, ChartType type);

} // namespace corvane
