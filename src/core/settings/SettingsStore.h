#pragma once

#include <QStringList>

namespace corvane {

class Registry;

// Named text values addressed by application, section and key, kept under
// HKEY_CURRENT_USER "Software\VB and VBA Program Settings\<application>\<section>".
// Failures are not reported: a value that cannot be read yields the default,
// one that cannot be written is skipped.
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

    Registry& registry() const { return m_registry; }

private:
    QString sectionPath(const QString& section) const;

    Registry& m_registry;
};

} // namespace corvane
