#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

// The custom graph statement from the lines of its file: every line trimmed, comment lines
// (first character an apostrophe) skipped, the others joined in file order.
QString customStatementFromLines(const QStringList& lines);

// The same, read from a file; a file that cannot be read to its end gives what was read of it.
QString readCustomStatementFile(const QString& path);

} // namespace corvane
