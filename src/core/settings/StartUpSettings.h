#pragma once

#include "core/settings/AutomationFields.h"
#include "core/settings/OptionBoxes.h"
#include "core/settings/ScanSettings.h"
#include "core/settings/StartAtBootEntry.h"

#include <QString>

namespace corvane {

class Clock;
class Registry;
class SettingsStore;
class UserInterfacePort;

// The settings record and the controls the stored settings are applied to, as every start of the
// program has them, the window's and the command line's alike: checking AutoRun rewrites the
// start-at-boot entry. The controls work on the record they were made with, so it is not copied.
struct StartUpSettings
{
    StartUpSettings(SettingsStore& store, const Clock& clock, Registry& registry, UserInterfacePort& ui,
                    QString autostartFolder = StartAtBootEntry::defaultAutostartFolder());
    StartUpSettings(const StartUpSettings&) = delete;
    StartUpSettings& operator=(const StartUpSettings&) = delete;

    // The stored settings into the record and onto the controls.
    void load(const SettingsStore& store);

    ScanSettings settings;
    StartAtBootEntry startAtBoot;
    OptionBoxes boxes;
    DaysToKeepBox days;
    StartTimeList startTimes;
};

} // namespace corvane
