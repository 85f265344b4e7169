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

namespace {

// The tables, columns and comparisons of the counts, without their values.
QString shapeOf(const QList<RowCounts::CountOf>& counts)
{
    QString shape;
    for (const RowCounts::CountOf& count : counts) {
        shape += count.table + u'\x1e';
        for (const Condition& condition : count.conditions)
            shape += condition.column + QChar(u'0' + static_cast<int>(condition.comparison));
        shape += u'\x1f';
    }
    return shape;
}

} // namespace

DbResult<RowCounts::PreparedCounts> RowCounts::prepareCounts(const QList<CountOf>& counts)
{
    QStringList subqueries;
    PreparedCounts prepared;
    for (const CountOf& count : counts) {
        const DbResult<BoundConditions> bound = conditionsOn(m_database, count.table, count.conditions,
                                                             static_cast<int>(prepared.kinds.size()) + 1);
        if (!bound.ok())
            return {{}, bound.error};
        subqueries.append(u"(SELECT count(*) FROM "_s +
                          quotedIdentifier(m_database.tableLayout(count.table).value.name) + u" WHERE "_s +
                          bound.value.sql + u')');
        prepared.kinds.append(bound.value.kinds);
    }
    if (const DbError error = m_database.prepare(prepared.statement, u"SELECT "_s + subqueries.join(u", "_s));
        error.isError())
        return {{}, error};
    return {std::move(prepared), {}};
}

DbResult<QList<qint64>> RowCounts::countEach(const QList<CountOf>& counts)
{
    const QString shape = shapeOf(counts);
    auto prepared = m_statements.find(shape);
    if (prepared == m_statements.end()) {
        DbResult<PreparedCounts> made = prepareCounts(counts);
        if (!made.ok())
            return {{}, made.error};
        prepared = m_statements.emplace(shape, std::move(made.value)).first;
    }
    DbStatement& counting = prepared->second.statement;
    int parameter = 0;
    for (const CountOf& count : counts) {
        for (const Condition& condition : count.conditions) {
            const DbResult<QVariant> stored =
                storedConditionValue(condition.value, prepared->second.kinds.at(parameter));
            if (!stored.ok())
                return {{}, stored.error};
            counting.bind(++parameter, stored.value);
        }
    }
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
