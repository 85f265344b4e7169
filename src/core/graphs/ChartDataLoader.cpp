#include "core/graphs/ChartDataLoader.h"

#include "core/db/AuditDatabase.h"
#include "core/db/DatabaseOpening.h"
#include "core/db/QueryCursor.h"

#include <cmath>

namespace corvane {

namespace {

// Only the first and the last day are labelled on the horizontal axis.
void labelFirstAndLastRow(ChartData& data, const QString& firstLabel, const QString& lastLabel)
{
    data.rowLabels.fill(QString(), data.points.size());
    if (data.rowLabels.isEmpty())
        return;
    data.rowLabels.first() = firstLabel;
    data.rowLabels.last() = lastLabel;
}

ChartDataLoad failed(const DbError& error)
{
    ChartDataLoad load;
    load.error = error;
    return load;
}

} // namespace

std::optional<double> chartPoint(const QVariant& field)
{
    if (field.isNull())
        return std::nullopt;
    bool ok = false;
    const double value =
        field.typeId() == QMetaType::QString ? field.toString().trimmed().toDouble(&ok) : field.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

ChartDataLoad loadChartData(const QString& jetStatement, const QString& databaseName)
{
    AuditDatabase database;
    if (const DbError error = connectAuditDatabase(database, databaseName, AuditDatabase::Access::ReadOnly); error.isError())
        return failed(error);
    QueryCursor cursor(database);
    if (const DbError error = cursor.open(jetStatement); error.isError())
        return failed(error);

    ChartDataLoad load;
    load.data.columnLabels = cursor.fieldNames().mid(1);
    QString firstLabel;
    QString lastLabel;
    while (cursor.next()) {
        lastLabel = cursor.value(0).toString();
        if (load.data.points.isEmpty())
            firstLabel = lastLabel;
        QList<std::optional<double>> row;
        for (int column = 1; column <= load.data.columnCount(); ++column)
            row.append(chartPoint(cursor.value(column)));
        load.data.points.append(row);
    }
    if (cursor.error().isError())
        return failed(cursor.error());
    labelFirstAndLastRow(load.data, firstLabel, lastLabel);
    load.outcome =
        load.data.points.isEmpty() ? ChartDataLoad::Outcome::NoRows : ChartDataLoad::Outcome::Loaded;
    return load;
}

} // namespace corvane
