#pragma once

#include <QString>

namespace corvane {

// The maker's scanner for local drives: recommended where a local directory is refused, and
// offered in the about box.
inline QString localScannerName()
{
    return QStringLiteral("Corvane Local");
}

} // namespace corvane
