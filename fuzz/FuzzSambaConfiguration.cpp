#include "FuzzInput.h"

#include "core/netware/samba/AuditRecord.h"
#include "core/netware/samba/SambaShares.h"

using namespace corvane;

// Any text as smb.conf, read by hand as where testparm is missing: every share it gives names one
// folder, and a rename its prefix records keeps the two paths whole.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (const SambaShare& share : parseSambaConfiguration(fuzzBytes(data, size))) {
        fuzzCheck(!share.path.isEmpty() && !share.path.contains('%'), "a share's path is one folder");
        fuzzCheck(share.path == "/" || !share.path.endsWith('/'), "a share's path has no trailing slash");
        const QByteArray lower = share.name.toLower();
        fuzzCheck(lower != "global" && lower != "homes" && lower != "printers", "a share is a disk share");
        const AuditMessageParser parser(share.auditPrefix, {share.path});
        const QByteArray message = share.auditPrefix + "|renameat|ok|" + share.path + "/a|" + share.path + "/b";
        AuditRecord record;
        if (parser.parse(message, record) == AuditMessageParser::Outcome::Record)
            fuzzCheck(message.endsWith(QByteArray(record.path + '|' + record.target)), "a rename's paths end its record");
    }
    return 0;
}
