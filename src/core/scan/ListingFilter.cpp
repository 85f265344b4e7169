#include "core/scan/ListingFilter.h"

#include "core/netware/LiveListing.h"
#include "core/netware/NetWareConfiguration.h"
#include "core/scan/ScanContext.h"
#include "core/settings/ScanSettings.h"

namespace corvane {

namespace {

const NetWareVolume* volumeWhoseTopIs(const NetWareConfiguration& configuration, const QByteArray& path)
{
    const std::optional<NetWareLocation> location = configuration.locate(path);
    return location && location->components.isEmpty() ? location->volume : nullptr;
}

} // namespace

ListingFilter::ListingFilter(const ScanContext& context, const WildcardSpec& spec,
                             const QByteArray& listedPath)
    : m_spec(spec), m_hiddenFilesShown(context.settings.flag(Flag::Hidden)),
      m_topOfVolume(volumeWhoseTopIs(context.configuration, listedPath))
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
    return m_topOfVolume && m_topOfVolume->holdsServerEntry(name);
}

} // namespace corvane
