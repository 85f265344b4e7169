#pragma once

#include <QString>

namespace corvane {

// The application folder: where cv.mdb, faq.fil, statement files and CSV files
// live. The executable's folder, unless CORVANE_NET_HOME names another; always
// ends in "/".
QString applicationFolder();

} // namespace corvane
