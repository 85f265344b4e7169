#pragma once

#include <QString>

namespace corvane {

struct ScanContext;

// Asks the server for one file's extended information and appends the rows of the
// scan date's events, and the Detail row, through the context's row sets.
void ScanExtendedInfo(ScanContext& context, const QString& fullPath, qint32 size);

} // namespace corvane
