#include "FuzzInput.h"

#include "core/netware/NetWareConfiguration.h"
#include "core/netware/VolumePaths.h"

using namespace Qt::StringLiterals;
using namespace corvane;

// Any text in netware.conf: read, or refused with the file and line, never both or neither. The
// paths of a configuration that was read are looked up too, as every client call does.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const NetWareConfiguration::Loaded loaded =
        NetWareConfiguration::parse(fuzzBytes(data, size), u"/nonexistent/netware.conf"_s);
    fuzzCheck(loaded.configuration.has_value() == loaded.error.isEmpty(),
              "a configuration is either read or refused with a reason");
    if (!loaded.configuration)
        return 0;
    for (const NetWareServer& server : loaded.configuration->servers()) {
        for (const NetWareVolume& volume : server.volumes) {
            const std::optional<NetWareLocation> unc =
                loaded.configuration->locate("\\\\" + server.name + '\\' + volume.name + "\\a\\b");
            fuzzCheck(unc && unc->volume == &volume, "a volume is found by its network path");
            const std::optional<NetWareLocation> local =
                loaded.configuration->locate(joinedPath(volume.root, {"a"}));
            fuzzCheck(local && local->volume, "a volume's folder lies on a volume");
        }
    }
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        loaded.configuration->localPath(QChar::fromLatin1(letter) + u":\\dir\\file"_s);
    return 0;
}
