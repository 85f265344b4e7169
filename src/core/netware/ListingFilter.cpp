#include "core/netware/ListingFilter.h"

#include "core/netware/LiveListing.h"
#include "core/netware/NetWareConfiguration.h"
#include "core/netware/ScanContext.h"
#include "core/netware/VolumeTrash.h"
#include "core/settings/ScanSettings.h"

namespace corvane {

namespace {

bool isVolumeTop(const NetWareConfiguration& configuration, const QByteArray& path)
{
    const std::optional<NetWareLocation> location = configuration.locate(path);
    return location && location->volume && location->components.isEmpty();
}

} // namespace

ListingFilter::ListingFilter(const ScanContext& context, const WildcardSpec& spec,
                             const QByteArray& listedPath)
    : m_spec(spec), m_hiddenFilesShown(context.settings.flag(Flag::Hidden)),
      m_volumeTop(isVolumeTop(context.configuration, listedPath))
{}

bool ListingFilter::takesFile(const QByteArray& name) const
{
    return (m_hiddenFilesShown || !name.startsWith('.')) && !isServerFile(name) && m_spec.matches(name);
}

bool ListingFilter::takesFolder(const QByteArray& name) const
{
    return !isServerFile(name);
}

bool ListingFilter::isServerFile(const QByteArray& name) const
{
    return m_volumeTop && isServerFileName(name);
}

} // namespace corvane
