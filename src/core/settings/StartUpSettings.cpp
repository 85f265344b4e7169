#include "core/settings/StartUpSettings.h"

#include "core/common/AppFolder.h"
#include "core/settings/SettingsPersistence.h"

namespace corvane {

StartUpSettings::StartUpSettings(SettingsStore& store, const Clock& clock, Registry& registry,
                                 UserInterfacePort& ui, QString autostartFolder)
    : startAtBoot(registry, ui, programFolder(), std::move(autostartFolder)),
      boxes(settings, [this](bool on) { startAtBoot.apply(on); }), days(settings, store, clock),
      startTimes(settings)
{}

void StartUpSettings::load(const SettingsStore& store)
{
    loadScanSettings(store, settings, {boxes, days, startTimes});
}

} // namespace corvane
