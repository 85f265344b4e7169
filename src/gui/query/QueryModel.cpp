#include "gui/query/QueryModel.h"

#include "core/db/CsvWriter.h"
#include "core/db/JetTranslator.h"
#include "core/db/QueryCursor.h"
#include "core/db/SqliteStatement.h"

#include <sqlite3.h>

#include <limits>

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

} // namespace

QueryModel::QueryModel(AuditDatabase& database, QObject* parent)
    : QAbstractTableModel(parent), m_database(database)
{}

DbError QueryModel::run(const QString& jetStatement)
{
    // Prepared on its own first, so that a refused or broken statement reports its own error
    // rather than one of the count around it.
    QueryCursor probe(m_database);
    if (const DbError error = probe.open(jetStatement); error.isError())
        return error;
    const QStringList fieldNames = probe.fieldNames();
    probe.close();
    const QString sql = withoutTrailingSemicolons(m_database.translate(jetStatement).sql);
    const DbResult<qint64> count = countRows(sql);
    if (count.error.isError())
        return count.error;

    beginResetModel();
    m_blocks.clear();
    m_blockUse.clear();
    m_statement = jetStatement;
    m_sql = sql;
    m_fieldNames = fieldNames;
    m_totalRows = count.value;
    endResetModel();
    return {};
}

DbResult<qint64> QueryModel::countRows(const QString& sql) const
{
    SqliteStatement count;
    if (const DbError error = m_database.prepare(count, u"SELECT COUNT(*) FROM ("_s + sql + u')');
        error.isError())
        return {0, error};
    const int rc = count.step();
    if (rc != SQLITE_ROW)
        return {0, m_database.errorOf(rc)};
    return {count.value(0).toLongLong(), {}};
}

QVariantList QueryModel::rowValues(qint64 row) const
{
    if (row < 0 || row >= m_totalRows)
        return {};
    const QList<QVariantList>& rows = block(row / blockRows);
    const qint64 inBlock = row % blockRows;
    return inBlock < rows.size() ? rows[inBlock] : QVariantList();
}

const QList<QVariantList>& QueryModel::block(qint64 blockIndex) const
{
    auto found = m_blocks.find(blockIndex);
    if (found != m_blocks.end()) {
        m_blockUse.removeOne(blockIndex);
        m_blockUse.append(blockIndex);
        return *found;
    }
    if (m_blocks.size() >= cachedBlocks)
        m_blocks.remove(m_blockUse.takeFirst());
    m_blockUse.append(blockIndex);
    return *m_blocks.insert(blockIndex, readBlock(blockIndex));
}

QList<QVariantList> QueryModel::readBlock(qint64 blockIndex) const
{
    QList<QVariantList> rows;
    SqliteStatement read;
    if (m_database.prepare(read, u"SELECT * FROM ("_s + m_sql + u") LIMIT ? OFFSET ?"_s).isError())
        return rows;
    read.bind(1, blockRows);
    read.bind(2, blockIndex * blockRows);
    rows.reserve(blockRows);
    const int columns = static_cast<int>(m_fieldNames.size());
    while (read.step() == SQLITE_ROW) {
        QVariantList values;
        values.reserve(columns);
        for (int column = 0; column < columns; ++column)
            values.append(read.value(column));
        rows.append(values);
    }
    return rows;
}
int QueryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0
                            : static_cast<int>(qMin<qint64>(m_totalRows, std::numeric_limits<int>::max()));
}

int QueryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_fieldNames.size());
}

QVariant QueryModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const QVariantList values = rowValues(index.row());
    return index.column() < values.size() ? QVariant(CsvWriter::valueText(values[index.column()]))
                                          : QVariant();
}

QVariant QueryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return section >= 0 && section < m_fieldNames.size() ? QVariant(m_fieldNames[section]) : QVariant();
}

} // namespace corvane
