#include "FuzzInput.h"

#include "core/netware/VolumeMetadata.h"

using namespace Qt::StringLiterals;
using namespace corvane;

// Any text in a volume's metadata file: what can be read applies, the rest is warned about, and
// every entry is keyed by a path inside the volume.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const VolumeMetadata metadata = parseVolumeMetadata(fuzzBytes(data, size), u"/vol1/.netware-meta"_s);
    for (auto entry = metadata.entries.cbegin(); entry != metadata.entries.cend(); ++entry)
        fuzzCheck(!entry.key().isEmpty() && metadataKey(entry.key()) == entry.key(),
                  "an entry is keyed by a clean path inside the volume");
    for (const SalvageableEntry& deleted : metadata.deleted)
        fuzzCheck(!deleted.name.isEmpty() && !deleted.name.contains('/'), "a deleted entry has a name");
    return 0;
}
