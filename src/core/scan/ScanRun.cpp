#include "core/scan/ScanRun.h"

#include "core/common/Clock.h"
#include "core/common/DateTexts.h"
#include "core/common/UserInterfacePort.h"
#include "core/db/AuditDatabase.h"
#include "core/db/DatabaseOpening.h"
#include "core/scan/Purges.h"
#include "core/netware/DriveType.h"
#include "core/netware/NetWareClient.h"
#include "core/scan/DailyTally.h"
#include "core/scan/DetailStretches.h"
#include "core/scan/DirectoryTracking.h"
#include "core/scan/RunTables.h"
#include "core/scan/ScanContext.h"
#include "core/scan/ScanDirectory.h"
#include "core/scan/StartUpDatabase.h"
#include "core/scan/ScanTexts.h"
#include "core/settings/OptionBoxes.h"
#include "core/settings/ScanSettings.h"
#include "core/settings/SettingsStore.h"

#include <limits>

namespace corvane {

using namespace Qt::StringLiterals;
using Answer = UserInterfacePort::Answer;

namespace {

const QString systemSection = u"System"_s;
const QString scanTerminated = u"Scan terminated."_s;
// How long the waits leave the user to act between two looks at the clock: well under the
// minute of the start time, and short enough for Stop and closing to answer at once.
constexpr int pollMilliseconds = 200;
constexpr qint64 pauseSeconds = 60;

bool isNetworkPath(const QString& path, const NetWareConfiguration& configuration)
{
    const int type = GetDriveTypeA(path, configuration);
    return type != DriveType::Removable && type != DriveType::Fixed && type != DriveType::CdRom;
}

// The byte total never wraps: an addition that would carry it past its range is dropped.
void addToTotal(qint32& total, qint32 bytes)
{
    const qint64 sum = qint64{total} + bytes;
    if (sum <= std::numeric_limits<qint32>::max() && sum >= std::numeric_limits<qint32>::min())
        total = static_cast<qint32>(sum);
}

} // namespace

ScanRun::ScanRun(ScanRunServices services)
    : m_services(std::move(services)), m_ui(m_services.ui), m_settings(m_services.settings)
{}

ScanRun::Outcome ScanRun::Command1_Click()
{
    if (m_running)
        return {Ending::Declined, u"A scan is already running."_s};
    m_running = true;
    m_timings.clear();
    Outcome outcome;
    {
        const StepTimings::Scope run = m_timings.measure(u"run"_s);
        for (;;) {
            outcome = runOnce();
            // A run that ended before scanning (same-day questions, the database, Stop during
            // the timed wait) is neither followed by an exit nor repeated.
            if (outcome.ending != Ending::Completed && outcome.ending != Ending::Stopped)
                break;
            if (m_settings.flag(Flag::ExitAfterScan)) {
                m_ui.quit();
                break;
            }
            if (!m_services.boxes.isChecked(OptionBox::cbKeepRunning) || !pauseOneMinute())
                break;
        }
    }
    // Whatever ended the run, the window is left usable: Stop hidden (so it may close) and the
    // controls enabled.
    m_ui.setStopVisible(false);
    m_StopRequested = false;
    if (m_busy) {
        m_ui.setBusy(false);
        m_ui.setWaitCursor(false);
        m_busy = false;
    }
    m_running = false;
    return outcome;
}

void ScanRun::Command2_Click()
{
    if (m_running)
        m_StopRequested = true;
}

ScanRun::Outcome ScanRun::runOnce()
{
    m_ScanDate = m_services.clock.today();
    // Keep running, in force, repeats the run without asking.
    if (!m_services.boxes.keepRunningInForce()) {
        if (std::optional<Outcome> ended = checkSameDay())
            return *ended;
    }
    AuditDatabase database;
    if (std::optional<Outcome> ended = openDatabase(database))
        return *ended;
    enterBusyState();
    if (m_settings.flag(Flag::AutoPurge))
        purgeWhenDue(database);
    if (m_settings.flag(Flag::AutoScan) && !waitForStartTime()) {
        m_ui.setWaitCursor(false);
        m_ui.showStatus(scanTerminated);
        return {Ending::StoppedWhileWaiting, scanTerminated};
    }
    return scanAndUpdate(database);
}

// The first 10 characters of LastScan, read as a date; anything else asks nothing.
std::optional<ScanRun::Outcome> ScanRun::checkSameDay()
{
    const std::optional<QDate> lastScan =
        lastScanDate(m_services.store.get(systemSection, u"LastScan"_s, QString()));
    if (!lastScan)
        return std::nullopt;
    if (m_ScanDate < *lastScan) {
        const QString question = u"Warning! Today's date conflicts with the last scan date of "_s +
                                 shortDateText(*lastScan) + u". Do you want to continue?"_s;
        if (m_ui.askYesNo(question, Answer::No) != Answer::Yes)
            return Outcome{Ending::Declined, question};
    } else if (m_ScanDate == *lastScan) {
        if (m_settings.flag(Flag::ExitAfterScan) && m_settings.TimedStart) {
            m_ui.quit();
            return Outcome{Ending::ProgramEnded,
                           u"Already scanned today; the timed start ends the program."_s};
        }
        const QString question =
            u"You have already run today. Re-running can produce duplicate data if scanning for the same "
            "file specs. Do you want to click the 'Purge Today' Button to delete today's data before "
            "continuing."_s;
        if (m_ui.askYesNo(question, Answer::Yes) != Answer::No)
            return Outcome{Ending::AlreadyScannedToday, question};
    }
    return std::nullopt;
}

std::optional<ScanRun::Outcome> ScanRun::openDatabase(AuditDatabase& database)
{
    const QString& databaseName = m_services.databaseName;
    if (isMissingDatabaseFile(databaseName)) {
        const QString text = missingDatabaseText(databaseName);
        m_ui.beep();
        m_ui.showMessage(text, UserInterfacePort::Icon::Warning);
        return Outcome{Ending::Failed, text};
    }
    switch (OpenAuditDatabase(database, m_ui, databaseName)) {
    case OpenOutcome::Opened:
        return std::nullopt;
    case OpenOutcome::Failed:
        return Outcome{Ending::Failed, u"Unable to open database "_s + shownDatabaseName(databaseName) + u"."_s};
    case OpenOutcome::ProgramMustEnd:
        break;
    }
    return Outcome{Ending::ProgramMustEnd, u"No database connection can be made."_s};
}

void ScanRun::enterBusyState()
{
    m_ui.setWaitCursor(true);
    m_ui.setBusy(true);
    m_busy = true;
}

// Before the run's transaction: a stop does not bring the purged data back.
void ScanRun::purgeWhenDue(AuditDatabase& database)
{
    const StepTimings::Scope purge = m_timings.measure(u"purge"_s);
    if (purgeDateHasCome(m_services.store.get(systemSection, u"PurgeDate"_s, QString()), m_ScanDate))
        purgeCollectedData(database);
}

// Until the clock's minute is the start time's; false when Stop ended the wait. A start time
// that is no time of day never comes, and the run waits for Stop.
bool ScanRun::waitForStartTime()
{
    const StepTimings::Scope wait = m_timings.measure(u"wait"_s);
    m_ui.setStopVisible(true);
    m_ui.showStatus(u"Waiting until "_s + m_settings.StartTime + u" to scan..."_s);
    m_ui.yield();
    const std::optional<QTime> startTime = startTimeOfDay(m_settings.StartTime);
    for (;;) {
        if (startTime && minuteOf(m_services.clock.now().time()) == *startTime)
            return true;
        if (m_StopRequested)
            return false;
        m_ui.waitForEvents(pollMilliseconds);
    }
}

ScanRun::Outcome ScanRun::scanAndUpdate(AuditDatabase& database)
{
    readServerLogs();
    RunTables tables(database);
    tables.open(m_settings);
    // Every row of the run goes into one transaction; without it a stopped or killed run would
    // leave half its rows behind, so the run does not go on.
    if (const DbError error = database.beginTransaction(); error.isError()) {
        m_ui.showStatus(error.text());
        return {Ending::Failed, error.text()};
    }
    m_ui.setStopVisible(true);
    DatabaseUpdate update{database, tables, m_ScanDate, m_StopRequested, m_ui};
    ScanContext context{m_settings, m_ScanDate, m_services.client, m_services.configuration, m_ui,
                        tables.scanRowSets(), true, m_StopRequested};
    context.FilesFound = 0;
    // A run that writes the day's first Detail rows knows their stretches from its appends.
    StretchRecorder stretches;
    if (tables.detail() && !hasDetailRowsFrom(update))
        context.detailStretches = &stretches;
    qint32 totalBytes = 0;
    {
        const StepTimings::Scope scan = m_timings.measure(u"scan"_s);
        // The rows go on to SQLite on a thread of their own while the scan walks on.
        const AuditDatabase::InsertsInBackground inserts(database);
        totalBytes = scanPaths(context);
    }
    if (context.detailStretches && stretches.complete() && database.lostRows().count == 0)
        update.recordedStretches = &stretches;
    m_ui.showStatus(u"Updating database..."_s);
    m_ui.yield();
    // The comparison reads what the tally wrote: without the Detail and DirActivity row sets
    // (stored options that break the table dependencies) neither has anything sound to do.
    if (m_settings.flag(Flag::DirActivity) && tables.detail() && tables.dirActivity()) {
        {
            const StepTimings::Scope tally = m_timings.measure(u"tally"_s);
            TallyDirectoryActivity(update);
        }
        const StepTimings::Scope directories = m_timings.measure(u"directories"_s);
        CompareDirectories(update);
    }
    {
        const StepTimings::Scope snapshot = m_timings.measure(u"snapshot"_s);
        RebuildSnapshot(update);
    }
    const StepTimings::Scope finishing = m_timings.measure(u"finish"_s);
    return finish(database, context.FilesFound, totalBytes);
}

// Network mode per entry from the drive type; the file patterns cut at every ";" without trimming,
// so a trailing or doubled ";" gives an empty pattern of its own.
qint32 ScanRun::scanPaths(ScanContext& context)
{
    qint32 totalBytes = 0;
    for (qsizetype i = 0; i < m_settings.Paths.size(); ++i) {
        const ScanPath& entry = m_settings.Paths.at(i);
        context.networkMode = isNetworkPath(entry.path, m_services.configuration);
        // An entry without specs of its own takes the default of a new entry.
        const QString specs = i < m_settings.PathSpecs.size() ? m_settings.PathSpecs.at(i) : u"*.*"_s;
        for (const QString& spec : specs.split(u';'))
            addToTotal(totalBytes, ScanDirectory(context, entry.path, spec, entry.includeSubdirectories));
    }
    return totalBytes;
}

// The commit comes before LastScan and the summary, so a run whose rows could not be stored
// never reports them as recorded.
ScanRun::Outcome ScanRun::finish(AuditDatabase& database, qint32 filesFound, qint32 totalBytes)
{
    m_ui.setStopVisible(false);
    m_ui.beep();
    if (m_StopRequested) {
        database.rollback();
        m_StopRequested = false;
        m_ui.showStatus(scanTerminated);
        return {Ending::Stopped, scanTerminated};
    }
    const AuditDatabase::LostRows lost = database.lostRows();
    if (const DbError error = database.commit(); error.isError()) {
        database.rollback();
        m_ui.showStatus(error.text());
        return {Ending::Failed, error.text()};
    }
    Outcome outcome{Ending::Completed, u"No files found."_s, lost.count};
    if (filesFound != 0) {
        const QString stamp = lastScanStamp(m_services.clock.now());
        m_ui.showLastScan(u"Last scan: "_s + stamp);
        m_services.store.save(systemSection, u"LastScan"_s, stamp);
        outcome.text = filesFoundSummary(filesFound, totalBytes);
    }
    // What was stored is kept; what was not must not pass for recorded.
    if (lost.count > 0)
        outcome.text += u"\r\n"_s + lostRowsText(lost.count, lost.first.text());
    m_ui.showStatus(outcome.text);
    if (filesFound != 0)
        showServerLogSummaries();
    return outcome;
}

// Servers that learn from logs read them before the files are scanned, so the rows of this run
// name the people of the records written up to now.
void ScanRun::readServerLogs()
{
    const StepTimings::Scope reading = m_timings.measure(u"logs"_s);
    m_serverLogSummaries.clear();
    const QList<ServerLogReading> readings = m_services.client.readServerLogs([this](const QString& text) {
        m_ui.showStatus(text);
        m_ui.yield();
    });
    for (const ServerLogReading& read : readings)
        m_serverLogSummaries.append(read.summary);
}

void ScanRun::showServerLogSummaries()
{
    for (const QString& summary : std::as_const(m_serverLogSummaries))
        m_ui.appendStatus(u"\r\n"_s + summary);
}

// Sixty seconds by the clock, yielding all the while; false when the user closed the window.
bool ScanRun::pauseOneMinute()
{
    const StepTimings::Scope pause = m_timings.measure(u"pause"_s);
    m_ui.appendStatus(u"\r\nPausing for one minute. Please wait..."_s);
    m_ui.yield();
    QDateTime start = m_services.clock.now();
    for (;;) {
        if (m_ui.quitRequested())
            return false;
        const QDateTime now = m_services.clock.now();
        // A clock set back starts the minute again rather than stretching it.
        if (now < start)
            start = now;
        if (start.secsTo(now) >= pauseSeconds)
            return true;
        m_ui.waitForEvents(pollMilliseconds);
    }
}

} // namespace corvane
