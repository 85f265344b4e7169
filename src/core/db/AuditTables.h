#pragma once

#include <QStringList>

namespace corvane {

// The ten tables of cv.mdb in the order the purges empty them; Temp, the directory
// snapshot, comes last because only the purge of all data touches it.
const QStringList& auditTableNames();

// The nine tables of collected data: every table but Temp.
QStringList collectedDataTableNames();

// A column name as cv.mdb spells it (the central database keeps its names in lower case);
// any other name as it is.
QString auditColumnSpelling(const QString& name);

} // namespace corvane
