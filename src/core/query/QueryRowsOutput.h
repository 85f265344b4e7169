#pragma once

#include "core/db/AuditDatabase.h"
#include "core/db/DbError.h"

#include <QString>

namespace corvane {

// Error numbers of file output, as the messages of the query window show them.
namespace FileErrorNumber {
constexpr long DeviceError = 57;      // "Device I/O error": writing failed part-way
constexpr long PermissionDenied = 70; // the file is read-only or held open by another program
constexpr long PathAccessError = 75;  // "Path/File access error": the file cannot be created
} // namespace FileErrorNumber

// The rows of a statement, read from the first to the last, in the forms the query window hands
// on. Values are as the database gives them.
//
// Clipboard text: one line per row, CR LF after each, no line of field names; in comma form the
// CSV line, in space form every value followed by `spaces` blanks.
DbResult<QString> clipboardText(AuditDatabase& database, const QString& jetStatement, bool commaForm,
                                int spaces);

// Writes the CSV file (field names, then the rows), replacing one that exists. A file that is
// read-only or open in an office program (its lock file lies beside it) fails with error 70.
DbError writeCsvFile(AuditDatabase& database, const QString& jetStatement, const QString& path);

} // namespace corvane
