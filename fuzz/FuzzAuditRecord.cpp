#include "FuzzInput.h"

#include "core/netware/samba/AuditRecord.h"

using namespace corvane;

namespace {

// Prefixes as shares write them: the module's default, with the share, with the typed name
// before and after the Unix user, with literal text around the macros.
const QByteArray Prefixes[] = {"%u|%I", "%u|%I|%S", "%U|%u|%I|%S", "user=%u|%U|%m|[%S]", "%U"};

// Whatever readings a record gives, each joins back into the same argument text, which the
// message ends with.
void checkRecord(const QByteArray& message, const AuditRecord& record)
{
    fuzzCheck(record.path.startsWith('/'), "a recorded path is absolute");
    if (record.action != AuditAction::Rename) {
        fuzzCheck(record.otherRenameReadings.isEmpty(), "only a rename has other readings");
        return;
    }
    const QByteArray joined = record.path + '|' + record.target;
    fuzzCheck(message.endsWith(joined), "a rename's paths are the end of its message");
    for (const auto& [path, target] : record.otherRenameReadings) {
        fuzzCheck(path + '|' + target == joined, "every reading of a rename splits the same text");
        fuzzCheck(path != record.path, "the readings of a rename differ");
    }
}

} // namespace

// Any message under every prefix: read as a record, ignored or refused, and a record is whole.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray message = fuzzBytes(data, size);
    for (const QByteArray& prefix : Prefixes) {
        const AuditMessageParser parser(prefix, {"/srv/cv/share", "/srv/a|b", "/"});
        AuditRecord record;
        if (parser.parse(message, record) != AuditMessageParser::Outcome::Record)
            continue;
        checkRecord(message, record);
        fuzzCheck(!record.user.isEmpty(), "a record names its user");
    }
    return 0;
}
