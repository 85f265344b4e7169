#include "FuzzInput.h"

#include "core/netware/VolumeMetadata.h"

using namespace Qt::StringLiterals;
using namespace corvane;

// Any text in a volume's metadata file: what can be read applies, the rest is warned about, and
// every entry is named by a folder inside the volume and a name in it. The file is read in small
// chunks, so that lines cross the chunks' ends.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr qint64 ChunkSize = 7;
    const VolumeMetadataFile metadata(fuzzBytes(data, size), u"/vol1/.netware-meta"_s, ChunkSize);
    QStringList warnings;
    for (const QByteArray& folder : metadata.folders()) {
        fuzzCheck(folder.isEmpty() || metadataKey(folder) == folder, "a folder is a clean path inside the volume");
        const OverridesByName entries = metadata.folder(folder, warnings);
        for (auto entry = entries.cbegin(); entry != entries.cend(); ++entry)
            fuzzCheck(!entry.key().isEmpty() && !entry.key().contains('/'), "an entry has a name in its folder");
    }
    for (const SalvageableEntry& deleted : metadata.deleted())
        fuzzCheck(!deleted.name.isEmpty() && !deleted.name.contains('/'), "a deleted entry has a name");
    return 0;
}
