#include "core/db/QueryPages.h"

#include "core/db/AuditDatabase.h"
#include "core/db/JetTranslator.h"

#include <QHash>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

QString withoutTrailingSemicolons(QString sql)
{
    sql = sql.trimmed();
    while (sql.endsWith(u';'))
        sql = sql.chopped(1).trimmed();
    return sql;
}

QVariantList rowOf(const DbStatement& statement, int columns)
{
    QVariantList values;
    values.reserve(columns);
    for (int column = 0; column < columns; ++column)
        values.append(statement.value(column));
    return values;
}

} // namespace

DbError QueryPages::open(const JetTranslation& translation)
{
    QueryPages opened(*m_database);
    opened.m_sql = withoutTrailingSemicolons(translation.sql);
    // Should the rowid form fail where the statement itself runs, it is read by position.
    if (m_database->isCentral()) {
        if (const DbError error = opened.countFirstRows(); error.isError())
            return error;
    } else if (translation.rowKeyedSql.isEmpty() ||
               !opened.keepRowKeys(withoutTrailingSemicolons(translation.rowKeyedSql))) {
        const DbResult<qint64> count = countRowsOf(*m_database, opened.m_sql);
        if (count.error.isError())
            return count.error;
        opened.m_rowCount = count.value;
    }
    *this = std::move(opened);
    return {};
}

DbError QueryPages::countFirstRows()
{
    // One row more tells a result of just that many rows from a longer one.
    const DbResult<qint64> first = countRowsOf(
        *m_database, u"SELECT 1 FROM ("_s + m_sql + u") AS cv_rows LIMIT "_s + QString::number(rowsCountedAtOpen + 1));
    m_countPending = first.value > rowsCountedAtOpen;
    m_rowCount = std::min(first.value, rowsCountedAtOpen);
    return first.error;
}

void QueryPages::setCountedRows(qint64 rows)
{
    m_rowCount = rows;
    m_countPending = false;
}

DbResult<qint64> countRowsOf(const AuditDatabase& database, const QString& sql)
{
    DbStatement count;
    if (const DbError error = database.prepare(count, u"SELECT COUNT(*) FROM ("_s + sql + u") AS cv_rows"_s);
        error.isError())
        return {0, error};
    if (count.step() != DbStatement::Step::Row)
        return {0, count.error()};
    return {count.value(0).toLongLong(), {}};
}

bool QueryPages::keepRowKeys(const QString& rowKeyedSql)
{
    // The statement as it is, with all its columns, so that rows that tie in the sort come in
    // the order the statement itself gives them.
    DbStatement sorted;
    if (m_database->prepare(sorted, rowKeyedSql, StatementRows::InBlocks).isError())
        return false;
    const int keyColumn = sorted.columnCount() - 1;
    std::vector<qint64> keys;
    DbStatement::Step step = DbStatement::Step::Row;
    while ((step = sorted.step()) == DbStatement::Step::Row && qsizetype(keys.size()) < rowKeysAtMost)
        keys.push_back(sorted.value(keyColumn).toLongLong());
    if (step != DbStatement::Step::Done)
        return false;
    m_rowKeyedSql = rowKeyedSql;
    m_rowKeys = std::move(keys);
    m_rowCount = qint64(m_rowKeys.size());
    return true;
}

QList<QVariantList> QueryPages::read(qint64 firstRow, int rows) const
{
    if (firstRow < 0 || firstRow >= m_rowCount || rows <= 0)
        return {};
    return m_rowKeyedSql.isEmpty() ? readByPosition(firstRow, rows) : readByRowKey(firstRow, rows);
}

QList<QVariantList> QueryPages::readByPosition(qint64 firstRow, int rows) const
{
    QList<QVariantList> read;
    DbStatement statement;
    if (m_database->prepare(statement, u"SELECT * FROM ("_s + m_sql + u") AS cv_rows LIMIT ? OFFSET ?"_s).isError())
        return read;
    statement.bind(1, rows);
    statement.bind(2, firstRow);
    const int columns = statement.columnCount();
    read.reserve(rows);
    while (statement.step() == DbStatement::Step::Row)
        read.append(rowOf(statement, columns));
    return read;
}

QList<QVariantList> QueryPages::readByRowKey(qint64 firstRow, int rows) const
{
    const auto first = m_rowKeys.begin() + firstRow;
    const auto end = first + std::min<qint64>(rows, m_rowCount - firstRow);
    // The rowids are numbers this reader took from the table, written into the text as such.
    QStringList keys;
    for (auto key = first; key != end; ++key)
        keys.append(QString::number(*key));
    QList<QVariantList> read;
    DbStatement statement;
    if (m_database
            ->prepare(statement, u"SELECT * FROM ("_s + m_rowKeyedSql + u") AS cv_rows WHERE cv_rowid IN ("_s +
                                     keys.join(u',') + u')')
            .isError())
        return read;
    const int keyColumn = statement.columnCount() - 1;
    QHash<qint64, QVariantList> found;
    while (statement.step() == DbStatement::Step::Row)
        found.insert(statement.value(keyColumn).toLongLong(), rowOf(statement, keyColumn));
    read.reserve(rows);
    for (auto key = first; key != end; ++key)
        read.append(found.value(*key));
    return read;
}

} // namespace corvane
