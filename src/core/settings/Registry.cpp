#include "core/settings/Registry.h"

#include "core/settings/HiveFile.h"

#include <QDir>

namespace corvane {

namespace {

using KeyQuery = std::function<long(const RegistryHive&, const QStringList&)>;
using KeyEdit = std::function<long(RegistryHive&, const QStringList&)>;

// Runs the query on an existing key.
long readKey(HiveFile* file, const QString& path, const KeyQuery& query)
{
    if (!file)
        return RegError::InvalidHandle;
    const std::optional<QStringList> key = RegistryHive::splitKeyPath(path);
    if (!key)
        return RegError::InvalidParameter;
    return file->read([&](const RegistryHive& hive) {
        return hive.hasKey(*key) ? query(hive, *key) : RegError::FileNotFound;
    });
}

// Runs the edit on an existing key and saves the hive.
long editKey(HiveFile* file, const QString& path, const KeyEdit& edit)
{
    if (!file)
        return RegError::InvalidHandle;
    const std::optional<QStringList> key = RegistryHive::splitKeyPath(path);
    if (!key)
        return RegError::InvalidParameter;
    return file->change(
        [&](RegistryHive& hive) { return hive.hasKey(*key) ? edit(hive, *key) : RegError::FileNotFound; });
}

QString hiveFilePath(const QString& folder, quint32 rootKey)
{
    return folder + u'/' + Registry::rootKeyName(rootKey) + QStringLiteral(".reg");
}

} // namespace

Registry::Registry(Location location)
{
    // The keys every Windows installation has, which callers open without creating.
    m_hives.emplace(RootKey::CurrentUser,
                    std::make_unique<HiveFile>(hiveFilePath(location.currentUserFolder, RootKey::CurrentUser),
                                               rootKeyName(RootKey::CurrentUser),
                                               QStringList{QStringLiteral("Software")}));
    m_hives.emplace(RootKey::LocalMachine,
                    std::make_unique<HiveFile>(
                        hiveFilePath(location.localMachineFolder, RootKey::LocalMachine),
                        rootKeyName(RootKey::LocalMachine),
                        QStringList{QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run")}));
}

Registry::~Registry() = default;

Registry::Location Registry::locationFromEnvironment()
{
    const QString shared = qEnvironmentVariable("CORVANE_NET_REGISTRY");
    if (!shared.isEmpty())
        return {shared, shared};
    // A relative XDG_CONFIG_HOME is to be ignored, as the base directory rules say.
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return {config + QStringLiteral("/corvane-net"), QStringLiteral("/etc/corvane-net")};
}

QString Registry::rootKeyName(quint32 rootKey)
{
    switch (rootKey) {
    case RootKey::ClassesRoot:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    case RootKey::CurrentUser:
        return QStringLiteral("HKEY_CURRENT_USER");
    case RootKey::LocalMachine:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    case RootKey::Users:
        return QStringLiteral("HKEY_USERS");
    case 0x80000004u:
        return QStringLiteral("HKEY_PERFORMANCE_DATA");
    case 0x80000005u:
        return QStringLiteral("HKEY_CURRENT_CONFIG");
    default:
        return QString();
    }
}

QString Registry::hivePath(quint32 rootKey) const
{
    const HiveFile* file = hive(rootKey);
    return file ? file->path() : QString();
}

HiveFile* Registry::hive(quint32 rootKey) const
{
    const auto it = m_hives.find(rootKey);
    return it == m_hives.end() ? nullptr : it->second.get();
}

long Registry::openKey(quint32 rootKey, const QString& path) const
{
    return readKey(hive(rootKey), path,
                   [](const RegistryHive&, const QStringList&) { return RegError::Success; });
}

long Registry::createKey(quint32 rootKey, const QString& path)
{
    HiveFile* file = hive(rootKey);
    if (!file)
        return RegError::InvalidHandle;
    const std::optional<QStringList> key = RegistryHive::splitKeyPath(path);
    if (!key)
        return RegError::InvalidParameter;
    // An existing key is only opened: no lock, no write, so a read-only hive serves too.
    if (openKey(rootKey, path) == RegError::Success)
        return RegError::Success;
    return file->change([&](RegistryHive& hive) {
        hive.createKey(*key);
        return RegError::Success;
    });
}

long Registry::queryValue(quint32 rootKey, const QString& path, const QString& name,
                          RegistryValue* value) const
{
    return readKey(hive(rootKey), path, [&](const RegistryHive& hive, const QStringList& key) {
        const RegistryValue* found = hive.value(key, name);
        if (!found)
            return RegError::FileNotFound;
        if (value)
            *value = *found;
        return RegError::Success;
    });
}

long Registry::setValue(quint32 rootKey, const QString& path, const RegistryValue& value)
{
    HiveFile* file = hive(rootKey);
    if (file && !RegistryHive::isWritableText(value.name))
        return RegError::InvalidParameter;
    return editKey(file, path, [&](RegistryHive& hive, const QStringList& key) {
        hive.setValue(key, value);
        return RegError::Success;
    });
}

long Registry::deleteValue(quint32 rootKey, const QString& path, const QString& name)
{
    return editKey(hive(rootKey), path, [&](RegistryHive& hive, const QStringList& key) {
        return hive.deleteValue(key, name) ? RegError::Success : RegError::FileNotFound;
    });
}

long Registry::valueNames(quint32 rootKey, const QString& path, QStringList* names) const
{
    if (!names)
        return RegError::InvalidParameter;
    return readKey(hive(rootKey), path, [&](const RegistryHive& hive, const QStringList& key) {
        *names = hive.valueNames(key);
        return RegError::Success;
    });
}

long Registry::subKeyNames(quint32 rootKey, const QString& path, QStringList* names) const
{
    if (!names)
        return RegError::InvalidParameter;
    return readKey(hive(rootKey), path, [&](const RegistryHive& hive, const QStringList& key) {
        *names = hive.subKeyNames(key);
        return RegError::Success;
    });
}

long Registry::editHive(quint32 rootKey, const std::function<long(RegistryHive&)>& edit)
{
    HiveFile* file = hive(rootKey);
    return file ? file->change(edit) : RegError::InvalidHandle;
}

QStringList Registry::damagedFilesSetAside() const
{
    QStringList paths;
    for (const auto& entry : m_hives)
        paths += entry.second->damagedFilesSetAside();
    return paths;
}

} // namespace corvane
