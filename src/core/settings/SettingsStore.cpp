#include "core/settings/SettingsStore.h"

#include "core/settings/Registry.h"
#include "core/settings/RegistryData.h"
#include "core/settings/RegistryHive.h"

namespace corvane {

SettingsStore::SettingsStore(Registry& registry) : m_registry(registry) {}

QString SettingsStore::sectionPath(const QString& section) const
{
    return QString::fromUtf16(settingsRoot) + u'\\' + QString::fromUtf16(applicationName) + u'\\' + section;
}

QString SettingsStore::get(const QString& section, const QString& key, const QString& defaultValue) const
{
    RegistryValue value;
    if (m_registry.queryValue(RootKey::CurrentUser, sectionPath(section), key, &value) != RegError::Success)
        return defaultValue;
    if (value.type != RegType::Sz && value.type != RegType::ExpandSz)
        return defaultValue;
    return RegistryData::textFromSz(value.data);
}

void SettingsStore::save(const QString& section, const QString& key, const QString& text)
{
    saveTogether([&](SettingsBatch& batch) { batch.save(section, key, text); });
}

void SettingsStore::remove(const QString& section, const QString& key)
{
    saveTogether([&](SettingsBatch& batch) { batch.remove(section, key); });
}

QStringList SettingsStore::list(const QString& section) const
{
    QStringList names;
    if (m_registry.valueNames(RootKey::CurrentUser, sectionPath(section), &names) != RegError::Success)
        return {};
    return names;
}

bool SettingsStore::saveTogether(const std::function<void(SettingsBatch&)>& changes)
{
    return m_registry.editHive(RootKey::CurrentUser, [&](RegistryHive& hive) {
        SettingsBatch batch(*this, hive);
        changes(batch);
        return RegError::Success;
    }) == RegError::Success;
}

void SettingsBatch::save(const QString& section, const QString& key, const QString& text)
{
    const std::optional<QStringList> path = RegistryHive::splitKeyPath(m_store.sectionPath(section));
    if (!path || !RegistryHive::isWritableText(key))
        return;
    m_hive.createKey(*path);
    m_hive.setValue(*path, {key, RegType::Sz, RegistryData::szFromText(text)});
}

void SettingsBatch::remove(const QString& section, const QString& key)
{
    if (const std::optional<QStringList> path = RegistryHive::splitKeyPath(m_store.sectionPath(section)))
        m_hive.deleteValue(*path, key);
}

QStringList SettingsBatch::list(const QString& section) const
{
    const std::optional<QStringList> path = RegistryHive::splitKeyPath(m_store.sectionPath(section));
    return path ? m_hive.valueNames(*path) : QStringList();
}

} // namespace corvane
