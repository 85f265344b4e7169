#pragma once

#include <QString>

namespace corvane {

struct ScanContext;

// Scans one directory for one file spec: records the salvageable deleted files of
// the scan date (network mode), hands every matching live file to
// FileEntryScan, and recurses into subdirectories when asked. Returns the total
// bytes of the live files handed on; the total never wraps.
qint32 ScanDirectory(ScanContext& context, const QString& directoryPath, const QString& fileSpec,
                     bool includeSubdirectories);

} // namespace corvane
