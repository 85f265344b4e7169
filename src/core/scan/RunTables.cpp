#include "core/scan/RunTables.h"

#include "core/db/AuditDatabase.h"
#include "core/db/SqliteStatement.h"
#include "core/settings/ScanSettings.h"

#include <sqlite3.h>

namespace corvane {

using namespace Qt::StringLiterals;

RunTables::RunTables(AuditDatabase& database)
    : m_detail(database), m_newFiles(database), m_openedFiles(database), m_deletedFiles(database),
      m_editedFiles(database), m_archivedFiles(database), m_deletedDirs(database), m_newDirs(database),
      m_dirActivity(database), m_temp(database)
{}

void RunTables::open(const ScanSettings& settings)
{
    const std::pair<Flag, std::pair<RowSet*, const char16_t*>> tables[] = {
        {Flag::FileDetail, {&m_detail, u"Detail"}},
        {Flag::NewFiles, {&m_newFiles, u"NewFiles"}},
        {Flag::OpenedFiles, {&m_openedFiles, u"OpenedFiles"}},
        {Flag::DeletedFiles, {&m_deletedFiles, u"DeletedFiles"}},
        {Flag::EditedFiles, {&m_editedFiles, u"EditedFiles"}},
        {Flag::ArchivedFiles, {&m_archivedFiles, u"ArchivedFiles"}},
        {Flag::DeletedDirs, {&m_deletedDirs, u"DeletedDirs"}},
        {Flag::NewDirs, {&m_newDirs, u"NewDirs"}},
        {Flag::DirActivity, {&m_dirActivity, u"DirActivity"}},
    };
    for (const auto& [option, table] : tables) {
        if (settings.flag(option))
            table.first->open(QString::fromUtf16(table.second));
    }
}

ScanRowSets RunTables::scanRowSets()
{
    return ScanRowSets{openOrNull(m_detail),       openOrNull(m_newFiles),    openOrNull(m_openedFiles),
                       openOrNull(m_deletedFiles), openOrNull(m_editedFiles), openOrNull(m_archivedFiles)};
}

DbError moveToFirstMatch(AuditDatabase& database, RowSet& rows, const QString& table,
                         const Condition& condition)
{
    const DbResult<TableLayout> layout = database.tableLayout(table);
    if (!layout.ok())
        return layout.error;
    const DbResult<BoundConditions> bound = bindConditions(layout.value, {condition}, 1);
    if (!bound.ok())
        return bound.error;
    SqliteStatement first;
    if (const DbError error = database.prepare(first, u"SELECT min(rowid) FROM "_s + quotedIdentifier(table) +
                                                          u" WHERE "_s + bound.value.sql);
        error.isError())
        return error;
    for (int i = 0; i < bound.value.values.size(); ++i)
        first.bind(i + 1, bound.value.values[i]);
    const int rc = first.step();
    if (rc != SQLITE_ROW)
        return database.errorOf(rc);
    const QVariant rowid = first.value(0);
    if (!rowid.isNull())
        return rows.moveToBookmark(rowid.toLongLong());
    // No row meets it: the row set ends up past its last row, as a find without a match.
    if (const DbError error = rows.moveLast(); error.isError() || rows.isEof())
        return error;
    return rows.moveNext();
}

void storeNewRow(RowSet& rows, const QList<std::pair<QString, QVariant>>& fields)
{
    rows.addNew();
    for (const auto& [column, value] : fields)
        rows.setField(column, value);
    rows.update();
}

} // namespace corvane
