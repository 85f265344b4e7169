#pragma once

#include "core/settings/RegistryTypes.h"

#include <QStringList>

#include <functional>
#include <map>
#include <memory>

namespace corvane {

class HiveFile;
class RegistryHive;

// The registry: one hive file in .reg text form per root key. Key paths are
// written with backslashes below the root ("Software\\VB and VBA Program Settings")
// and, as on Windows, compared without regard to letter case.
//
// Reads see the file as it is on disk now; every change re-reads the hive under a
// lock, applies itself and replaces the file atomically, so two processes never
// lose each other's changes. Every operation returns a RegError code.
class Registry
{
public:
    struct Location
    {
        QString currentUserFolder;  // holds HKEY_CURRENT_USER.reg
        QString localMachineFolder; // holds HKEY_LOCAL_MACHINE.reg
    };

    explicit Registry(Location location);
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // CORVANE_NET_REGISTRY names one folder for both hives; otherwise the user's
    // hive lives in $XDG_CONFIG_HOME/corvane-net and the machine's in /etc/corvane-net.
    static Location locationFromEnvironment();
    // "HKEY_CURRENT_USER" and so on; empty for a handle that is no root key.
    static QString rootKeyName(quint32 rootKey);

    // The hive file of a root key; empty when the root key has no hive.
    QString hivePath(quint32 rootKey) const;

    long openKey(quint32 rootKey, const QString& path) const;
    // Creates the key and every missing key above it.
    long createKey(quint32 rootKey, const QString& path);
    long queryValue(quint32 rootKey, const QString& path, const QString& name, RegistryValue* value) const;
    long setValue(quint32 rootKey, const QString& path, const RegistryValue& value);
    long deleteValue(quint32 rootKey, const QString& path, const QString& name);
    long valueNames(quint32 rootKey, const QString& path, QStringList* names) const;
    long subKeyNames(quint32 rootKey, const QString& path, QStringList* names) const;
    // Runs the edit on the root key's hive as the file holds it now and saves the result as one
    // change: one lock and one rewrite however many keys and values it touches. Nothing is saved
    // when the edit fails.
    long editHive(quint32 rootKey, const std::function<long(RegistryHive&)>& edit);

    // Hive files found damaged since this object was made, each as the path of
    // the copy that was set aside.
    QStringList damagedFilesSetAside() const;

private:
    HiveFile* hive(quint32 rootKey) const;

    std::map<quint32, std::unique_ptr<HiveFile>> m_hives;
};

} // namespace corvane
