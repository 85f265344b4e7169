#pragma once

#include <QString>

#include <functional>

namespace corvane {

class RowSet;
struct DatabaseUpdate;

// Puts the Detail row set on the first row whose SysDate is on or after the scan date; false
// when there is none or it belongs to a later day: the Detail table has no rows of the scan date.
bool moveToScanDate(DatabaseUpdate& update, RowSet& detail);

// Walks the scan date's Detail rows from the current one, in the order they were written, and
// calls onStretch with the directory at the start of every stretch of rows of one directory
// (exact comparison; the first directory counts as a change unless it is empty). Yields once per
// row and ends early on a stop request.
void walkDirectoryStretches(DatabaseUpdate& update, RowSet& detail,
                            const std::function<void(const QString& directory)>& onStretch);

} // namespace corvane
