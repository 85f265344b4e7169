#include "gui/query/QueryModel.h"

#include "core/db/CsvWriter.h"
#include "core/db/JetTranslator.h"
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
    : QAbstractTableModel(parent), m_database(database), m_cursor(database)
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
    const DbResult<qint64> count = countRows(jetStatement);
    if (count.error.isError())
        return count.error;

    beginResetModel();
    forgetRows();
    m_statement = jetStatement;
    m_fieldNames = fieldNames;
    m_totalRows = count.value;
    endResetModel();
    return {};
}

DbResult<qint64> QueryModel::countRows(const QString& jetStatement) const
{
    const JetTranslation translation = translateJet(jetStatement);
    if (!translation.ok())
        return {0, {translation.errorNumber, translation.errorDescription}};
    SqliteStatement count;
    const QString sql = u"SELECT COUNT(*) FROM ("_s + withoutTrailingSemicolons(translation.sql) + u')';
    if (const DbError error = m_database.prepare(count, sql); error.isError())
        return {0, error};
    const int rc = count.step();
    if (rc != SQLITE_ROW)
        return {0, m_database.errorOf(rc)};
    return {count.value(0).toLongLong(), {}};
}

void QueryModel::forgetRows()
{
    m_cursor.close();
    m_cursorRow = 0;
    m_blocks.clear();
    m_blockUse.clear();
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
    const qint64 first = blockIndex * blockRows;
    if (!moveCursorTo(first))
        return rows;
    rows.reserve(blockRows);
    while (rows.size() < blockRows && m_cursor.next()) {
        rows.append(m_cursor.values());
        ++m_cursorRow;
    }
    return rows;
}

bool QueryModel::moveCursorTo(qint64 row) const
{
    if (row < m_cursorRow || m_cursorRow == 0) {
        if (m_cursor.open(m_statement).isError())
            return false;
        m_cursorRow = 0;
    }
    while (m_cursorRow < row) {
        if (!m_cursor.next())
            return false;
        ++m_cursorRow;
    }
    return true;
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
