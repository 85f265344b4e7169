#include "FuzzInput.h"

#include "core/settings/RegistryHive.h"

using namespace Qt::StringLiterals;
using namespace corvane;

// Any bytes a hive file may hold, damaged ones included. Whatever was read must survive being
// written and read again unchanged and undamaged, as the repair of a damaged hive relies on that.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString root = u"HKEY_CURRENT_USER"_s;
    const ParsedHive parsed = RegistryHive::parse(root, fuzzBytes(data, size));
    const QByteArray written = parsed.hive.serialise();
    const ParsedHive reread = RegistryHive::parse(root, written);
    fuzzCheck(reread.damage.isEmpty(), "a written hive reads back without damage");
    fuzzCheck(reread.hive.serialise() == written, "a written hive reads back as it was");
    return 0;
}
