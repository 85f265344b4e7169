#include "FuzzInput.h"

#include "core/netware/TextUtilities.h"

#include <QString>

using namespace corvane;

// A file spec and a deleted file's name, both as anything a user or a volume may hold, cut apart at
// the first line break. A spec without wildcards matches exactly the name it spells.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto [specBytes, nameBytes] = fuzzHalves(fuzzBytes(data, size));
    const QString spec = QString::fromUtf8(specBytes);
    const QString name = QString::fromUtf8(nameBytes);
    MatchFileSpec(spec, name);
    MatchFileSpec(name, spec);
    if (!spec.contains(u'*') && !spec.contains(u'?'))
        fuzzCheck(MatchFileSpec(spec, spec), "a plain spec matches its own name");
    return 0;
}
