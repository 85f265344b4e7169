#include "core/settings/SettingsPersistence.h"

#include "core/settings/AutomationFields.h"
#include "core/settings/OptionBoxes.h"
#include "core/settings/Registry.h"
#include "core/settings/ScanSettings.h"
#include "core/settings/SettingConversions.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/cReadWriteEasyReg.h"

namespace corvane {

namespace {

const QString options = QStringLiteral("Options");
const QString misc = QStringLiteral("Misc");

QString flagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

QString numbered(const char16_t* prefix, qsizetype n)
{
    return QString::fromUtf16(prefix) + QString::number(n);
}

template <typename T>
void convertInto(T& field, const std::optional<T>& converted)
{
    // A stored text that does not convert leaves the field at its initial value.
    field = converted.value_or(T{});
}

void loadFlagsAndAutomation(const SettingsStore& store, ScanSettings& settings)
{
    for (const FlagKey& key : flagKeys()) {
        convertInto(settings.flagRef(key.flag),
                    flagFromText(store.get(QString::fromUtf16(key.section), QString::fromUtf16(key.key),
                                           flagText(key.defaultValue))));
    }
    convertInto(settings.DaysToKeep, int16FromText(store.get(misc, QStringLiteral("DaysToKeep"), QStringLiteral("5"))));
    settings.StartTime = loadStartTime(store);
}

// The Dir_ keys are rewritten only when paths were added or deleted; the stale keys of a
// longer list are removed from the hive as the save finds it.
void writeScanPaths(SettingsBatch& batch, const ScanSettings& settings)
{
    if (settings.PathsChanged) {
        for (const QString& key : batch.list(options)) {
            if (key.startsWith(u"Dir_") || key.startsWith(u"Sub_") || key.startsWith(u"Spec_"))
                batch.remove(options, key);
        }
    }
    for (qsizetype i = 0; i < settings.Paths.size(); ++i) {
        if (settings.PathsChanged)
            batch.save(options, numbered(u"Dir_", i), settings.Paths.at(i).path);
        batch.save(options, numbered(u"Sub_", i),
                   settings.Paths.at(i).includeSubdirectories ? QStringLiteral("True") : QStringLiteral("False"));
        batch.save(options, numbered(u"Spec_", i), settings.PathSpecs.value(i));
    }
}

} // namespace

QString loadStartTime(const SettingsStore& store)
{
    return store.get(misc, QStringLiteral("StartTime"), QStringLiteral("05:00 p"));
}

void ensureSettingsRoot(Registry& registry, UserInterfacePort& ui)
{
    cReadWriteEasyReg reg(registry, ui);
    if (!reg.OpenRegistry(RootKey::CurrentUser, QString::fromUtf16(SettingsStore::settingsRoot))) {
        reg.OpenRegistry(RootKey::CurrentUser, QStringLiteral("Software"));
        reg.CreateDirectory(QStringLiteral("VB and VBA Program Settings"));
    }
    reg.CloseRegistry();
}

QString loadLastScan(const SettingsStore& store)
{
    return store.get(QStringLiteral("System"), QStringLiteral("LastScan"), QString());
}

void loadScanSettings(const SettingsStore& store, ScanSettings& settings, SettingsControls controls)
{
    loadFlagsAndAutomation(store, settings);
    controls.boxes.applyStoredFlags();
    controls.days.setText(QString::number(settings.DaysToKeep));
    controls.boxes.setChecked(OptionBox::cbExit, settings.flag(Flag::ExitAfterScan));
    controls.startTimes.applyStoredStartTime();
    loadScanPaths(store, settings);
}

void loadScanPaths(const SettingsStore& store, ScanSettings& settings)
{
    for (qsizetype n = 0;; ++n) {
        const QString path = store.get(options, numbered(u"Dir_", n), QString());
        if (path.isEmpty())
            break;
        ScanPath entry{path, true};
        convertInto(entry.includeSubdirectories,
                    booleanFromText(store.get(options, numbered(u"Sub_", n), QStringLiteral("True"))));
        settings.Paths.append(entry);
        settings.PathSpecs.append(store.get(options, numbered(u"Spec_", n), QStringLiteral("*.*")));
    }
}

bool saveScanSettings(SettingsStore& store, const ScanSettings& settings, StoredWindowSize size)
{
    return store.saveTogether([&](SettingsBatch& batch) {
        for (const FlagKey& key : flagKeys()) {
            if (key.flag != Flag::ExitAfterScan)
                batch.save(QString::fromUtf16(key.section), QString::fromUtf16(key.key),
                           flagText(settings.flag(key.flag)));
        }
        batch.save(misc, QStringLiteral("DaysToKeep"), QString::number(settings.DaysToKeep));
        batch.save(misc, QStringLiteral("StartTime"), settings.StartTime);
        batch.save(misc, QStringLiteral("ExitAfterScan"), flagText(settings.flag(Flag::ExitAfterScan)));
        batch.save(options, QStringLiteral("Height"), QString::number(size.height));
        batch.save(options, QStringLiteral("Width"), QString::number(size.width));
        writeScanPaths(batch, settings);
    });
}

bool saveScanPaths(SettingsStore& store, const ScanSettings& settings)
{
    return store.saveTogether([&](SettingsBatch& batch) { writeScanPaths(batch, settings); });
}

} // namespace corvane
