#include "core/scan/RunTables.h"

#include "core/db/AuditDatabase.h"
#include "core/settings/ScanSettings.h"
#include "core/sqlite/SqliteStatement.h"

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

DbResult<BoundConditions> conditionsOn(AuditDatabase& database, const QString& table,
                                       const QList<Condition>& conditions, int firstParameter)
{
    const DbResult<TableLayout> layout = database.tableLayout(table);
    if (!layout.ok())
        return {{}, layout.error};
    return bindConditions(layout.value, conditions, firstParameter);
}

DbError prepareBound(AuditDatabase& database, DbStatement& statement, const QString& sql,
                     const QVariantList& values)
{
    if (const DbError error = database.prepare(statement, sql); error.isError())
        return error;
    for (int i = 0; i < values.size(); ++i)
        statement.bind(i + 1, values[i]);
    return {};
}

DbResult<qint64> RowCounts::count(const QString& table, const QList<Condition>& conditions)
{
    const DbResult<QList<qint64>> counted = countEach({{table, conditions}});
    return {counted.ok() ? counted.value.first() : 0, counted.error};
}

DbResult<QList<qint64>> RowCounts::countEach(const QList<CountOf>& counts)
{
    QStringList subqueries;
    QVariantList values;
    for (const CountOf& count : counts) {
        const DbResult<BoundConditions> bound =
            conditionsOn(m_database, count.table, count.conditions, static_cast<int>(values.size()) + 1);
        if (!bound.ok())
            return {{}, bound.error};
        subqueries.append(u"(SELECT count(*) FROM "_s +
                          quotedIdentifier(m_database.tableLayout(count.table).value.name) + u" WHERE "_s +
                          bound.value.sql + u')');
        values.append(bound.value.values);
    }
    const QString sql = u"SELECT "_s + subqueries.join(u", "_s);
    auto statement = m_statements.find(sql);
    if (statement == m_statements.end()) {
        DbStatement prepared;
        if (const DbError error = m_database.prepare(prepared, sql); error.isError())
            return {{}, error};
        statement = m_statements.emplace(sql, std::move(prepared)).first;
    }
    DbStatement& counting = statement->second;
    for (int i = 0; i < values.size(); ++i)
        counting.bind(i + 1, values[i]);
    DbResult<QList<qint64>> result;
    if (counting.step() == DbStatement::Step::Row) {
        for (int column = 0; column < counts.size(); ++column)
            result.value.append(counting.value(column).toLongLong());
    } else {
        result.error = counting.error();
    }
    counting.reset();
    return result;
}

DbError storeNewRow(RowSet& rows, const QList<std::pair<QString, QVariant>>& fields)
{
    rows.addNew();
    for (const auto& [column, value] : fields)
        rows.setField(column, value);
    return rows.update();
}

} // namespace corvane
