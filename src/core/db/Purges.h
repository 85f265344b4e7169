#pragma once

#include "core/db/DatabaseOpening.h"

#include <QDate>
#include <QString>

namespace corvane {

class AuditDatabase;
class Clock;
class SettingsStore;
class UserInterfacePort;

// The main window's last-scan line: "Last scan: " + the stamp, or empty. Clearing it hides
// "&Purge Today".
class LastScanLine
{
public:
    virtual QString text() const = 0;
    virtual void clear() = 0;

protected:
    ~LastScanLine() = default;
};

// "&Purge Today" and "P&urge All": each asks first, reports progress and outcome in the
// status text, and clears LastScan and the last-scan line. Errors of the database are not
// reported: every statement is attempted, and the completion text shown.
class Purges
{
public:
    Purges(UserInterfacePort& ui, SettingsStore& settings, LastScanLine& lastScanLine, const Clock& clock,
           QString databasePath = auditDatabasePath());

    // Sets scanDate to today and deletes what today's scans wrote. True when the completion
    // text was shown, false when there was nothing to purge or the user said No.
    bool PurgeToday(QDate& scanDate);
    // Empties every table, Temp included.
    bool PurgeAll();

private:
    void storeEmptyLastScan();
    void runStatements(const QStringList& statements) const;

    UserInterfacePort& m_ui;
    SettingsStore& m_settings;
    LastScanLine& m_lastScanLine;
    const Clock& m_clock;
    QString m_databasePath;
};

// The scan run's automatic purge is due when PurgeDate (short date text) is a date on or
// before the scan date; an empty PurgeDate or one that is no date never empties the tables.
bool purgeDateHasCome(const QString& purgeDate, const QDate& scanDate);

// Empties the nine tables of collected data (Temp is kept), each statement on its own:
// one that fails is skipped and the others still run.
void purgeCollectedData(AuditDatabase& database);

} // namespace corvane
