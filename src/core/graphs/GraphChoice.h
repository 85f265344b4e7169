#pragma once

#include <QString>

namespace corvane {

// Everything the chart window reads from the graph options window when it builds a chart, taken
// from the options window's controls at the moment Graph is pressed.
struct GraphChoice
{
    QString kind;                 // text of the graph-kind list, e.g. "File Activity"
    QString title;                // title box, as typed
    QString startDate;            // start date box, as typed (already judged a date)
    QString endDate;              // end date box, as typed
    QString userName;             // user-name box, as typed
    bool userNameVisible = false; // the kind needs a user name
    QString chartType;            // "Line", "Bar", "Area" or "Step"
    bool twoD = true;             // 2D selected rather than 3D
    bool legend = true;           // "Show Legend" checked
    QString rotationHint;         // caption of the rotation hint label
    QString customStatement;      // the custom graph statement, empty when none is loaded
};

} // namespace corvane
