#pragma once

#include <QString>

namespace corvane {

// Error numbers as the database layer reports them, in the numbering of the
// OLE DB provider that administrators know from the Windows world.
namespace DbErrorNumber {
constexpr long SyntaxError = -2147217900;         // statement cannot be read
constexpr long TableNotFound = -2147217865;       // no such table or query
constexpr long UnknownName = -2147217904;         // a name that is no column: "No value given ..."
constexpr long PermissionDenied = -2147217911;    // a change on a read-only opening
constexpr long Unspecified = -2147467259;         // the file: locked, damaged, not a database
constexpr long TypeMismatch = -2147217913;        // "Data type mismatch in criteria expression."
} // namespace DbErrorNumber

struct DbError
{
    long number = 0;
    QString description;

    bool isError() const { return number != 0; }
    // "Error <number> : <description>", the form messages show.
    QString text() const { return QStringLiteral("Error ") + QString::number(number) + QStringLiteral(" : ") + description; }
};

} // namespace corvane
