#pragma once

#include "core/scan/StepTimings.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane {

class AuditDatabase;
class Clock;
class NetWareClient;
class NetWareConfiguration;
class OptionBoxes;
class SettingsStore;
class UserInterfacePort;
struct ScanContext;
struct ScanSettings;

// What a scan run works with: everything the main window holds for it.
struct ScanRunServices
{
    UserInterfacePort& ui;
    const Clock& clock;
    SettingsStore& store;
    ScanSettings& settings;
    const OptionBoxes& boxes; // "Keep running": its check mark and whether it is shown
    NetWareClient& client;
    const NetWareConfiguration& configuration;
    QString databaseName; // the audit database: a cv.mdb path or a PostgreSQL connection text
};

// The scan run of the Scan button (Command1_Click) and its Stop button (Command2_Click), over
// the user-interface port: the same-day questions, the database check and opening, the busy
// state, the automatic purge, the timed wait, the file scan of every path and spec in one
// transaction, the daily tally and the directory steps, the finish (commit, or rollback after a
// stop) with its summary and LastScan, then exit after scan or keep running.
//
// Time comes from the clock only: the timed wait and the one-minute pause poll it between
// yields, so a pause across midnight lasts its minute and tests need not wait.
class ScanRun
{
public:
    enum class Ending
    {
        Completed,           // committed; the summary says what was found
        Stopped,             // Stop during scanning or updating: everything written was rolled back
        StoppedWhileWaiting, // Stop during the timed wait: nothing was scanned
        Declined,            // the date-conflict question ended the run before it began
        AlreadyScannedToday, // the already-run question ended it: today's scan stands
        Failed,              // cv.mdb missing or not to be opened, or the writes could not be made
        ProgramEnded,        // the silent end of a timed start on a day already scanned
        ProgramMustEnd,      // no database connection can be made at all
    };
    struct Outcome
    {
        Ending ending = Ending::Completed;
        QString text; // the summary, "Scan terminated.", or why the run did not complete
        // Rows of a completed run that SQLite refused; the text says so after the summary.
        qint64 lostRows = 0;
    };

    explicit ScanRun(ScanRunServices services);

    // The run, and its repetitions while Keep running is checked; the outcome of the last one.
    // Does nothing while a run is already in progress.
    Outcome Command1_Click();
    // Stop: every loop of the run ends at its next test, and the run rolls back. Enabling the
    // controls is left to the end of the run, so no second run can start before this one is over.
    void Command2_Click();

    bool isRunning() const { return m_running; }
    // The steps of the last Command1_Click: "run", "purge", "wait", "logs", "scan", "tally",
    // "directories", "snapshot", "finish", "pause".
    const StepTimings& timings() const { return m_timings; }

private:
    Outcome runOnce();
    std::optional<Outcome> checkSameDay();
    std::optional<Outcome> openDatabase(AuditDatabase& database);
    void enterBusyState();
    void purgeWhenDue(AuditDatabase& database);
    bool waitForStartTime();
    Outcome scanAndUpdate(AuditDatabase& database);
    qint32 scanPaths(ScanContext& context);
    Outcome finish(AuditDatabase& database, qint32 filesFound, qint32 totalBytes);
    bool pauseOneMinute();
    void readServerLogs();
    void showServerLogSummaries();

    ScanRunServices m_services;
    UserInterfacePort& m_ui;
    ScanSettings& m_settings;
    QDate m_ScanDate; // the run's date, today when it started
    bool m_StopRequested = false;
    bool m_running = false;
    bool m_busy = false;
    StepTimings m_timings;
    QStringList m_serverLogSummaries; // one line per volume whose server read its logs
};

} // namespace corvane
