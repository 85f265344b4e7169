#include "core/scan/Purges.h"

#include "core/common/Clock.h"
#include "core/common/DateTexts.h"
#include "core/common/UserInterfacePort.h"
#include "core/db/AuditDatabase.h"
#include "core/db/AuditTables.h"
#include "core/db/DatabaseOpening.h"
#include "core/scan/DirectoryTracking.h"
#include "core/scan/StartUpDatabase.h"
#include "core/settings/SettingsStore.h"

#include <array>
#include <optional>

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

using Answer = UserInterfacePort::Answer;

// The date of the last scan: the last-scan line after its first ": ", up to the next space.
std::optional<QDate> lastScanDate(const QString& lastScanLine)
{
    const qsizetype colon = lastScanLine.indexOf(u": "_s);
    if (colon < 0)
        return std::nullopt;
    const QString stamp = lastScanLine.mid(colon + 2);
    return parseShortDate(stamp.left(stamp.indexOf(u' ')));
}

// The event tables hold a time of day and are purged from midnight on; the others hold the
// date alone.
QStringList todayStatements(const QString& day)
{
    struct DayColumn
    {
        const char16_t* table;
        const char16_t* column;
        const char16_t* comparison;
    };
    static constexpr std::array<DayColumn, 9> columns{{
        {u"Detail", u"SysDate", u"="},
        {u"NewFiles", u"Created", u">="},
        {u"OpenedFiles", u"Opened", u">="},
        {u"DeletedFiles", u"Deleted", u">="},
        {u"EditedFiles", u"Edited", u">="},
        {u"ArchivedFiles", u"Archived", u">="},
        {u"DeletedDirs", u"Deleted", u"="},
        {u"NewDirs", u"Created", u"="},
        {u"DirActivity", u"SysDate", u"="},
    }};
    QStringList statements;
    for (const DayColumn& c : columns) {
        statements.append(u"DELETE * FROM "_s + QString::fromUtf16(c.table) + u" WHERE "_s +
                          QString::fromUtf16(c.column) + u' ' + QString::fromUtf16(c.comparison) + u" #"_s +
                          day + u'#');
    }
    return statements;
}

// The first error ends the run of statements.
DbError executeEach(AuditDatabase& database, const QStringList& statements)
{
    for (const QString& statement : statements) {
        if (const DbError error = database.execute(statement); error.isError())
            return error;
    }
    return {};
}

QStringList deleteAllStatements(const QStringList& tables)
{
    QStringList statements;
    for (const QString& table : tables)
        statements.append(u"DELETE * FROM "_s + table);
    return statements;
}

} // namespace

Purges::Purges(UserInterfacePort& ui, SettingsStore& settings, LastScanLine& lastScanLine, const Clock& clock,
               QString databaseName)
    : m_ui(ui), m_settings(settings), m_lastScanLine(lastScanLine), m_clock(clock),
      m_databaseName(std::move(databaseName))
{}

bool Purges::PurgeToday()
{
    const QDate scanDate = m_clock.today();
    const QString day = shortDateText(scanDate);
    const std::optional<QDate> lastScan = lastScanDate(m_lastScanLine.text());
    if (!lastScan || *lastScan < scanDate) {
        m_ui.showMessage(u"No data to purge."_s, UserInterfacePort::Icon::Warning);
        return false;
    }
    if (m_ui.askYesNo(u"Are you sure you want to delete data for "_s + day + u'?', Answer::No) != Answer::Yes)
        return false;
    if (!isMissingDatabaseFile(m_databaseName)) {
        showProgress(u"Purging "_s + day + u" records from database..."_s);
        const DbError error = purgeInOneTransaction([&](AuditDatabase& database) {
            if (const DbError failed = executeEach(database, todayStatements(day)); failed.isError())
                return failed;
            return RestoreSnapshotBefore(database, scanDate, m_ui);
        });
        if (error.isError())
            return reportFailure(u"Data for "_s + day + u" has not been purged."_s, error);
    }
    storeEmptyLastScan();
    m_lastScanLine.clear();
    m_ui.showStatus(u"Data for "_s + day + u" has been purged."_s);
    m_ui.setWaitCursor(false);
    return true;
}

bool Purges::PurgeAll()
{
    if (m_ui.askYesNo(u"Are you sure you want to delete all the data?"_s, Answer::No) != Answer::Yes)
        return false;
    if (!isMissingDatabaseFile(m_databaseName)) {
        showProgress(u"Purging all records from database..."_s);
        const DbError error = purgeInOneTransaction([](AuditDatabase& database) {
            return executeEach(database, deleteAllStatements(auditTableNames()));
        });
        if (error.isError())
            return reportFailure(u"The data has not been purged."_s, error);
    }
    storeEmptyLastScan();
    m_lastScanLine.clear();
    m_ui.showStatus(u"All data has been purged."_s);
    m_ui.setWaitCursor(false);
    return true;
}

void Purges::showProgress(const QString& text)
{
    m_ui.setWaitCursor(true);
    m_ui.showStatus(text);
    m_ui.yield();
}

// The last-scan line stays: the data it speaks of is still there.
bool Purges::reportFailure(const QString& text, const DbError& error)
{
    m_ui.showStatus(text);
    m_ui.setWaitCursor(false);
    m_ui.showMessage(error.text(), UserInterfacePort::Icon::Warning);
    return false;
}

void Purges::storeEmptyLastScan()
{
    m_settings.save(u"System"_s, u"LastScan"_s, QString());
}

// All or nothing: a purge that stops halfway would leave a day half deleted.
DbError Purges::purgeInOneTransaction(const std::function<DbError(AuditDatabase&)>& purge) const
{
    AuditDatabase database;
    if (DbError error = connectAuditDatabase(database, m_databaseName, AuditDatabase::Access::ReadWrite);
        error.isError()) {
        // The error may name the database, whose password no message shows.
        error.description.replace(m_databaseName, shownDatabaseName(m_databaseName));
        return error;
    }
    if (const DbError error = database.beginTransaction(); error.isError())
        return error;
    if (const DbError error = purge(database); error.isError()) {
        database.rollback();
        return error;
    }
    return database.commit();
}

bool purgeDateHasCome(const QString& purgeDate, const QDate& scanDate)
{
    const std::optional<QDate> date = parseShortDate(purgeDate);
    return date && *date <= scanDate;
}

void purgeCollectedData(AuditDatabase& database)
{
    for (const QString& table : collectedDataTableNames())
        database.emptyTable(table);
}

} // namespace corvane
