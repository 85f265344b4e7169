#pragma once

#include <QStringList>

namespace corvane {

// The ten tables of cv.mdb in the order the purges empty them; Temp, the directory
// snapshot, comes last because only the purge of all data touches it.
const QStringList& auditTableNames();

// The nine tables of collected data: every table but Temp.
QStringList collectedDataTableNames();

} // namespace corvane
