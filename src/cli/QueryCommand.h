#pragma once

#include <QString>
#include <QTextStream>

namespace corvane::cli {

// `cv --query STATEMENT`: the rows as CSV on out, read-only; 0 on success, otherwise 1 with
// the message ("Error <number> : <description>" for a rejected statement) on err.
int runQueryCommand(const QString& statement, QTextStream& out, QTextStream& err);

} // namespace corvane::cli
