#include "cli/ReadAuditCommand.h"

#include "core/netware/EmulatedNetWareClient.h"

namespace corvane::cli {

int runReadAuditCommand(QTextStream& out, QTextStream& err)
{
    EmulatedNetWareClient client;
    if (client.NWCallsInit() != NWResult::Success) {
        err << "cv: " << client.initFailure() << '\n';
        return 1;
    }
    const QList<ServerLogReading> readings = client.readServerLogs([&err](const QString& text) {
        err << text << '\n';
        err.flush();
    });
    bool complete = true;
    for (const ServerLogReading& reading : readings) {
        out << reading.summary << '\n';
        complete = complete && reading.complete;
    }
    if (readings.isEmpty())
        out << "No server reads audit logs (see \"audit source\" in netware.conf).\n";
    return complete ? 0 : 1;
}

} // namespace corvane::cli
