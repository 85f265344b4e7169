#include "gui/query/QueryModel.h"

#include "core/db/CsvWriter.h"
#include "core/db/JetTranslator.h"
#include "core/db/QueryCursor.h"

#include <limits>

using namespace Qt::StringLiterals;

namespace corvane {

namespace {

// Numbers line up on their last digit, as in a spreadsheet; texts, dates and empty cells start
// at the left.
bool isNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return !value.isNull();
    default:
        return false;
    }
}

} // namespace

QueryModel::QueryModel(AuditDatabase& database, QObject* parent)
    : QAbstractTableModel(parent), m_database(database), m_pages(database)
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
    QueryPages pages(m_database);
    if (const DbError error = pages.open(m_database.translate(jetStatement)); error.isError())
        return error;

    m_counting.reset();
    ++m_runs;
    beginResetModel();
    m_blocks.clear();
    m_blockUse.clear();
    m_statement = jetStatement;
    m_fieldNames = fieldNames;
    m_pages = std::move(pages);
    endResetModel();
    countInBackground();
    return {};
}

void QueryModel::countInBackground()
{
    if (!m_pages.countPending())
        return;
    const quint64 run = m_runs;
    m_counting = std::make_unique<RowCountInBackground>(
        m_database, m_pages.sql(), [this, run](const DbResult<qint64>& count) {
            // Dropped with the model should it be gone by then.
            QMetaObject::invokeMethod(this, [this, run, count] { takeCount(run, count); }, Qt::QueuedConnection);
        });
}

void QueryModel::takeCount(quint64 run, const DbResult<qint64>& count)
{
    if (run != m_runs)
        return;
    m_counting.reset();
    if (count.error.isError()) {
        Q_EMIT totalRowsCounted(count.error);
        return;
    }
    const int shown = rowCount();
    const int counted = static_cast<int>(qMin<qint64>(count.value, std::numeric_limits<int>::max()));
    // Rows written or deleted since the first ones were counted make the count differ either way.
    if (counted > shown)
        beginInsertRows({}, shown, counted - 1);
    else if (counted < shown)
        beginRemoveRows({}, counted, shown - 1);
    m_pages.setCountedRows(count.value);
    if (counted > shown)
        endInsertRows();
    else if (counted < shown)
        endRemoveRows();
    Q_EMIT totalRowsCounted({});
}

QVariantList QueryModel::rowValues(qint64 row) const
{
    if (row < 0 || row >= totalRows())
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
    return *m_blocks.insert(blockIndex, m_pages.read(blockIndex * blockRows, blockRows));
}

int QueryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0
                            : static_cast<int>(qMin<qint64>(totalRows(), std::numeric_limits<int>::max()));
}

int QueryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_fieldNames.size());
}

QVariant QueryModel::data(const QModelIndex& index, int role) const
{
    if ((role != Qt::DisplayRole && role != Qt::TextAlignmentRole) ||
        !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const QVariantList values = rowValues(index.row());
    if (index.column() >= values.size())
        return {};
    const QVariant& value = values[index.column()];
    if (role == Qt::TextAlignmentRole)
        return isNumber(value) ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    return CsvWriter::valueText(value);
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
