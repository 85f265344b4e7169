#include "core/settings/SettingsStore.h"

#include "core/settings/Registry.h"
#include "core/settings/RegistryData.h"

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
    const QString path = sectionPath(section);
    if (m_registry.openKey(RootKey::CurrentUser, path) != RegError::Success)
        m_registry.createKey(RootKey::CurrentUser, path);
    m_registry.setValue(RootKey::CurrentUser, path, {key, RegType::Sz, RegistryData::szFromText(text)});
}

void SettingsStore::remove(const QString& section, const QString& key)
{
    m_registry.deleteValue(RootKey::CurrentUser, sectionPath(section), key);
}

QStringList SettingsStore::list(const QString& section) const
{
    QStringList names;
    if (m_registry.valueNames(RootKey::CurrentUser, sectionPath(section), &names) != RegError::Success)
        return {};
    return names;
}

} // namespace corvane
