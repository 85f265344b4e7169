#pragma once

#include "core/db/DatabaseChoice.h"
#include "core/db/DbError.h"

#include <QDate>
#include <QString>

#include <functional>

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
// status text, and clears LastScan and the last-scan line. The deletions run in one
// transaction: when the file cannot be opened or a statement fails, nothing is deleted, the
// database's error is shown, and LastScan and the last-scan line stay.
class Purges
{
public:
    Purges(UserInterfacePort& ui, SettingsStore& settings, LastScanLine& lastScanLine, const Clock& clock,
           QString databaseName = auditDatabaseName());

    // Deletes what today's scans wrote; the directory snapshot goes back to what today's first
    // run found, so that a rescan records the day's directory changes again. True when the
    // completion text was shown, false when there was nothing to purge, the user said No or the
    // purge failed.
    bool PurgeToday();
    // Empties every table, Temp included.
    bool PurgeAll();

private:
    void showProgress(const QString& text);
    bool reportFailure(const QString& text, const DbError& error);
    void storeEmptyLastScan();
    DbError purgeInOneTransaction(const std::function<DbError(AuditDatabase&)>& purge) const;

    UserInterfacePort& m_ui;
    SettingsStore& m_settings;
    LastScanLine& m_lastScanLine;
    const Clock& m_clock;
    QString m_databaseName; // a cv.mdb path or a PostgreSQL connection text
};

// The scan run's automatic purge is due when PurgeDate (short date text) is a date on or
// before the scan date; an empty PurgeDate or one that is no date never empties the tables.
bool purgeDateHasCome(const QString& purgeDate, const QDate& scanDate);

// Empties the nine tables of collected data (Temp is kept), each table on its own: one that
// fails is skipped and the others are still emptied.
void purgeCollectedData(AuditDatabase& database);

} // namespace corvane
