#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace corvane {

// What a scan needs of one share of a Samba configuration.
struct SambaShare
{
    QByteArray name; // as the configuration spells it
    QByteArray path;
    bool fullAudit = false;            // full_audit in "vfs objects"
    QByteArray auditPrefix = "%u|%I";  // full_audit:prefix
    bool auditToSyslog = true;         // full_audit:syslog; false: smbd's own log file
    bool recycle = false;              // recycle in "vfs objects"
    QByteArray recycleRepository = ".recycle"; // recycle:repository, macros unexpanded
    bool keepTree = false;             // recycle:keeptree
    bool versions = false;             // recycle:versions
    bool guestsAllowed = false;         // "guest ok" (or "public"): anonymous clients work as the guest account
    bool failedLogonsAsGuests = false;  // "map to guest" other than "never": so do clients whose logon failed
    QByteArray guestAccount = "nobody"; // "guest account"
};

struct SambaSharesRead
{
    QList<SambaShare> shares;
    QString error; // why the configuration could not be read; empty when it was
};

// The disk shares of a Samba configuration, read as Samba reads it: through
// "testparm -s --suppress-prompt FILE", which resolves includes and defaults. Where the program
// cannot be started the file is read by hand (includes without macros are followed). Printer
// shares, [homes] and shares whose path holds a macro are left out: none names one folder.
SambaSharesRead readSambaShares(const QString& configurationFile, const QString& testparmProgram = QStringLiteral("testparm"));

// The shares of configuration text in smb.conf form; includeBase anchors relative includes,
// which are followed only when it is not empty.
QList<SambaShare> parseSambaConfiguration(const QByteArray& text, const QString& includeBase = {});

} // namespace corvane
