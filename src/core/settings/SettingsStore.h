#pragma once

#include <QStringList>

#include <functional>

namespace corvane {

class Registry;
class RegistryHive;
class SettingsBatch;

// Named text values addressed by application, section and key, kept under
// HKEY_CURRENT_USER "Software\VB and VBA Program Settings\<application>\<section>".
// Failures of single values are not reported: a value that cannot be read yields the
// default, one that cannot be written is skipped.
class SettingsStore
{
public:
    static constexpr const char16_t* applicationName = u"Corvane Net";
    static constexpr const char16_t* settingsRoot = u"Software\\VB and VBA Program Settings";

    explicit SettingsStore(Registry& registry);

    QString get(const QString& section, const QString& key, const QString& defaultValue) const;
    void save(const QString& section, const QString& key, const QString& text);
    void remove(const QString& section, const QString& key);
    QStringList list(const QString& section) const;

    // Makes the saves and removals of `changes` as one change of the hive: one lock and one
    // rewrite for all of them, on the hive as the file holds it then, so values another process
    // saved in between stay. false when the hive could not be written: then none is saved.
    bool saveTogether(const std::function<void(SettingsBatch&)>& changes);

    Registry& registry() const { return m_registry; }

private:
    friend class SettingsBatch;
    QString sectionPath(const QString& section) const;

    Registry& m_registry;
};

// The saves and removals of one SettingsStore::saveTogether, made on the hive in memory.
// Values whose names or sections no hive file can hold are skipped, as single saves are.
class SettingsBatch
{
public:
    void save(const QString& section, const QString& key, const QString& text);
    void remove(const QString& section, const QString& key);
    // The value names as the batch has left them so far.
    QStringList list(const QString& section) const;

private:
    friend class SettingsStore;
    SettingsBatch(const SettingsStore& store, RegistryHive& hive) : m_store(store), m_hive(hive) {}

    const SettingsStore& m_store;
    RegistryHive& m_hive;
};

} // namespace corvane
