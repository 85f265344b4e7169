#pragma once

#include <QString>

namespace corvane {

class DaysToKeepBox;
class OptionBoxes;
class Registry;
class SettingsStore;
class StartTimeList;
class UserInterfacePort;
struct ScanSettings;

// The main window's size as stored, in twips.
struct StoredWindowSize
{
    float height = 6150;
    float width = 9735;
};

// The controls the stored settings are applied to at start-up.
struct SettingsControls
{
    OptionBoxes& boxes;
    DaysToKeepBox& days;
    StartTimeList& startTimes;
};

// Makes sure HKEY_CURRENT_USER "Software\VB and VBA Program Settings" exists.
void ensureSettingsRoot(Registry& registry, UserInterfacePort& ui);

QString loadLastScan(const SettingsStore& store);
// The stored StartTime of the timed scan, as stored ("05:00 p" when none is).
QString loadStartTime(const SettingsStore& store);
// The flags, DaysToKeep, StartTime into the record, then onto the controls (whose
// rules run as for a click), then the path list.
void loadScanSettings(const SettingsStore& store, ScanSettings& settings, SettingsControls controls);
// The path entries: a dense list from Dir_0 up to the first missing or empty Dir_.
void loadScanPaths(const SettingsStore& store, ScanSettings& settings);

// Everything but PurgeDate and LastScan, which are written when they change, saved together
// as one change of the hive. The Dir_ keys are rewritten only when paths were added or
// deleted. false when the hive could not be written.
bool saveScanSettings(SettingsStore& store, const ScanSettings& settings, StoredWindowSize size);
// The path entries alone, saved together in the same way.
bool saveScanPaths(SettingsStore& store, const ScanSettings& settings);

} // namespace corvane
