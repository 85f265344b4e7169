#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

namespace corvane {

struct DatabaseUpdate;

// The rowid of the first Detail row of the scan date: the first row whose SysDate is on or after
// the scan date, when it is of the scan date. nullopt when the Detail table has no rows of the
// scan date (none on or after it, or the first of them belongs to a later day). Found through the
// SysDate index: the history is not read.
std::optional<qint64> findFirstScanDateRow(DatabaseUpdate& update);

// Walks the Detail rows from that first one, in the order they were written, up to the first row
// of another day or of none, and calls onStretch with the directory that starts every stretch of
// rows of one directory (exact comparison; an empty directory at the start continues the empty
// "previous" one). The walk reads the day's rows once, through one statement; it yields once per
// stretch and ends early on a stop request.
void walkDirectoryStretches(DatabaseUpdate& update, qint64 firstRow,
                            const std::function<void(const QString& directory)>& onStretch);

} // namespace corvane
