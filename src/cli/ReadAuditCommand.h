#pragma once

#include <QTextStream>

namespace corvane::cli {

// `cv --read-audit`: the servers of netware.conf read what their shares' audit logs gained since
// the last reading, as a scan does first. Progress goes to err, one summary line per volume to
// out. Exit status 0 when every log was read, 1 when a log or store could not be, records were
// lost, or the configuration is unreadable.
int runReadAuditCommand(QTextStream& out, QTextStream& err);

} // namespace corvane::cli
