#pragma once

#include "core/netware/samba/SambaShares.h"

#include <QList>
#include <QString>

namespace corvane {

// Where a server finds the full_audit records of its shares.
struct AuditSource
{
    enum class Kind
    {
        Syslog,  // a file a syslog daemon writes, "... smbd_audit: RECORD" lines
        SmbdLog, // smbd's own log file (full_audit:syslog = false), two-line records
        Journal, // the systemd journal, identifier smbd_audit; location: a journal folder or empty
    };
    Kind kind = Kind::Syslog;
    QString location;

    // "syslog FILE", "smbd-log FILE" or "journal [FOLDER]", as netware.conf writes it.
    QString text() const;
};

// What a volume taken from a Samba share knows of it beyond its folder.
struct SambaVolumeSettings
{
    SambaShare share;
    QList<AuditSource> sources;
    QString storeFile; // the volume's own store
    QString journalctl = QStringLiteral("journalctl");
    // A journalctl silent this long is taken as hanging and stopped, so that a scan never waits forever.
    int journalSilenceMs = 60000;
};

} // namespace corvane
