#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane {

// What a chart shows, independent of how it is drawn: one row per result row (a day, or a row of
// a custom statement), one column per series. A point that could not be read as a number stays
// unset and is left out of the drawing.
struct ChartData
{
    QStringList columnLabels;                   // one per series, the name of the field it came from
    QStringList rowLabels;                      // one per row; empty for rows that carry no label
    QList<QList<std::optional<double>>> points; // points[row][column]

    int rowCount() const { return static_cast<int>(rowLabels.size()); }
    int columnCount() const { return static_cast<int>(columnLabels.size()); }
};

// The four chart types of the graph options window, in the order of its list.
enum class ChartType
{
    Line,
    Bar,
    Area,
    Step
};

// The chart-type code for a type drawn flat or in three dimensions:
// Line 3/2, Bar 1/0, Area 5/4, Step 7/6.
int chartTypeCode(ChartType type, bool threeD);
// The type and dimension behind a code; codes outside 0..7 have none.
std::optional<ChartType> chartTypeOfCode(int code);
bool isThreeDimensionalCode(int code);
// "Line", "Bar", "Area", "Step" and back; a text not in the list has no type.
QString chartTypeText(ChartType type);
std::optional<ChartType> chartTypeFromText(const QString& text);

} // namespace corvane
