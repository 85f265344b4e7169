#pragma once

#include "core/netware/samba/SambaVolumeSettings.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane {

// A share that a server section takes as a volume, with what its volume knows of it.
struct SambaShareVolume
{
    QString name; // as the Samba configuration spells it
    bool namedInSection = false; // listed by "samba shares", not taken as one of all
    SambaVolumeSettings settings;
};

struct SambaShareVolumes
{
    QList<SambaShareVolume> volumes;
    QString error; // why the shares cannot be taken; empty when they can
};

// The Samba keys of one [server] section of netware.conf (samba config, samba shares, audit
// source, audit store, journalctl), read one line at a time; once the whole file is read, the
// shares they choose become the server's volumes. Relative files and folders are taken from the
// folder of netware.conf.
class SambaServerKeys
{
public:
    explicit SambaServerKeys(const QString& configurationFolder) : m_folder(configurationFolder) {}

    // nullopt when the key (lower case, single spaces) is none of the Samba keys; else why the
    // value cannot be read, empty when it was. lineNumber is the line's, for later errors.
    std::optional<QString> read(const QString& key, const QString& value, int lineNumber);

    bool namesConfiguration() const { return !m_configuration.isEmpty(); }
    // Whether keys that only a Samba configuration gives a meaning were read.
    bool namesSourcesOrShares() const { return !m_sources.isEmpty() || !m_shares.isEmpty(); }
    // The line of "samba config", where errors about the shares are reported.
    int configurationLine() const { return m_configurationLine; }

    // The shares the section chooses (all disk shares when it lists none), read from the Samba
    // configuration; serverName names the folder of the stores.
    SambaShareVolumes shareVolumes(const QString& serverName) const;

private:
    QString readAuditSource(const QString& value);
    QString absolutePath(const QString& path) const;

    QString m_folder;
    QString m_configuration;
    int m_configurationLine = 0;
    QStringList m_shares;
    QList<AuditSource> m_sources;
    QString m_store;
    QString m_journalctl = QStringLiteral("journalctl");
};

} // namespace corvane
