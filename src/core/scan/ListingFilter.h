#pragma once

#include <QByteArray>

namespace corvane {

struct ScanContext;
class WildcardSpec;
struct NetWareVolume;

// Which entries of one listed folder the directory scan takes, as the Windows listing with the
// listing attributes would give them: files matching the file spec; hidden files (a name starting with
// ".") only with Hidden on; never the emulated server's own files at the top of a volume (its
// metadata, trash and a share's recycle repository), which are no entries of the volume. The System filter needs the server's
// entry record and is applied by the scan itself.
class ListingFilter
{
public:
    ListingFilter(const ScanContext& context, const WildcardSpec& spec, const QByteArray& listedPath);

    bool takesFile(const QByteArray& name) const;
    bool takesFolder(const QByteArray& name) const;

private:
    bool isServerFile(const QByteArray& name) const;

    const WildcardSpec& m_spec;
    const bool m_hiddenFilesShown;
    const NetWareVolume* const m_topOfVolume; // the volume whose top is listed, else null
};

} // namespace corvane
