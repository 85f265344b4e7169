#pragma once

#include "core/graphs/ChartData.h"

#include <QtDataVisualization/QAbstract3DGraph>

namespace corvane {

// True when this display offers OpenGL, which the 3D graphs need. The offscreen and minimal
// platforms never do (a 3D graph made there crashes), so they are ruled out before any
// context is tried.
bool threeDChartsAvailable();

// A 3D graph of the data, rotated with Ctrl and the left mouse button. Only call it when
// threeDChartsAvailable(). How the four types stay apart in three dimensions:
// - bar: Q3DBars, one line of bars per series, gaps between the bars;
// - area: Q3DSurface, one solid block per series whose top runs straight from day to day
//   and whose walls stand on the floor, as the flat area is filled down to zero;
// - line: Q3DSurface, one ribbon per series rising and falling from day to day;
// - step: Q3DSurface, one ribbon per series that holds each value until the next day and
//   then jumps.
// Bars and areas stand from back to front by size (seriesBackToFront), so none hides a smaller
// one. Unset points are left out: their bar stays at zero height, the ribbon or block is cut
// there. Each series has its own colour, seriesColor(column), as in the flat charts; the value
// axis has the steps of valueScale.
QAbstract3DGraph* buildThreeDGraph(const ChartData& data, ChartType type);

// Sets how far the camera stands for a picture of the given size: as near as the labels along
// the front edges allow, so that the graph fills the picture and none is cut.
void fitThreeDGraphTo(QAbstract3DGraph* graph, const QSizeF& picture);

} // namespace corvane
