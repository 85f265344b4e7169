#pragma once

#include "core/db/DatabaseChoice.h"
#include "core/db/DbError.h"
#include "core/graphs/ChartData.h"

#include <QString>
#include <QVariant>

#include <optional>

namespace corvane {

// What running a graph's statement gave: the chart's data, no rows at all, or the error whose
// description the chart window shows.
struct ChartDataLoad
{
    enum class Outcome
    {
        Loaded,
        NoRows,
        Failed
    };

    Outcome outcome = Outcome::Failed;
    ChartData data; // when Loaded
    DbError error;  // when Failed
};

// Runs a Jet statement on a read-only connection of its own to the audit database, closed again before
// returning. n rows of f fields give n chart rows and f - 1 series named after fields 1 .. f - 1;
// field 0 labels the first and the last row only.
ChartDataLoad loadChartData(const QString& jetStatement, const QString& databaseName = auditDatabaseName());

// A field as a chart point: numbers and texts that read as a number; anything else leaves the
// point unset.
std::optional<double> chartPoint(const QVariant& field);

} // namespace corvane
