#include "core/netware/samba/SambaServerKeys.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace corvane {

std::optional<QString> SambaServerKeys::read(const QString& key, const QString& value, int lineNumber)
{
    if (key == u"samba config"_s) {
        if (value.isEmpty())
            return u"samba config names no file"_s;
        m_configuration = absolutePath(value);
        m_configurationLine = lineNumber;
        return QString();
    }
    if (key == u"samba shares"_s) {
        for (const QString& share : value.split(u',', Qt::SkipEmptyParts))
            m_shares.append(share.trimmed());
        return QString();
    }
    if (key == u"audit source"_s)
        return readAuditSource(value);
    if (key == u"audit store"_s) {
        if (value.isEmpty())
            return u"audit store names no folder"_s;
        m_store = absolutePath(value);
        return QString();
    }
    if (key == u"journalctl"_s) {
        if (value.isEmpty())
            return u"journalctl names no program"_s;
        m_journalctl = value;
        return QString();
    }
    return std::nullopt;
}

QString SambaServerKeys::readAuditSource(const QString& value)
{
    static const QRegularExpression pattern(u"^(syslog|smbd-log|journal)(?:\\s+(.+))?$"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(value);
    const QString kind = match.captured(1).toLower();
    const QString location = match.captured(2).trimmed();
    if (!match.hasMatch() || (kind != u"journal"_s && location.isEmpty()))
        return u"invalid audit source \"%1\" (expected syslog FILE, smbd-log FILE or journal [FOLDER])"_s.arg(value);
    const AuditSource::Kind sourceKind = kind == u"syslog"_s     ? AuditSource::Kind::Syslog
                                         : kind == u"smbd-log"_s ? AuditSource::Kind::SmbdLog
                                                                 : AuditSource::Kind::Journal;
    m_sources.append(AuditSource{sourceKind, location.isEmpty() ? location : absolutePath(location)});
    return QString();
}

QString SambaServerKeys::absolutePath(const QString& path) const
{
    return QDir::cleanPath(path.startsWith(u'/') ? path : m_folder + u'/' + path);
}

SambaShareVolumes SambaServerKeys::shareVolumes(const QString& serverName) const
{
    const SambaSharesRead read = readSambaShares(m_configuration);
    if (!read.error.isEmpty())
        return {{}, read.error};
    for (const QString& wanted : m_shares) {
        const bool known = std::any_of(read.shares.cbegin(), read.shares.cend(), [&wanted](const SambaShare& share) {
            return QString::fromLocal8Bit(share.name).compare(wanted, Qt::CaseInsensitive) == 0;
        });
        if (!known)
            return {{}, u"the Samba configuration has no disk share named %1"_s.arg(wanted)};
    }
    const QString store = m_store.isEmpty() ? m_folder + u"/netware-audit"_s : m_store;
    SambaShareVolumes chosen;
    for (const SambaShare& share : read.shares) {
        const QString name = QString::fromLocal8Bit(share.name);
        const bool listed = m_shares.contains(name, Qt::CaseInsensitive);
        if (!m_shares.isEmpty() && !listed)
            continue;
        const QString storeFile = store + u'/' + serverName + u'/' + name.toUpper() + u".sqlite"_s;
        chosen.volumes.append(SambaShareVolume{name, listed, SambaVolumeSettings{share, m_sources, storeFile, m_journalctl}});
    }
    return chosen;
}

} // namespace corvane
