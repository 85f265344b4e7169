#pragma once

#include "core/db/AuditDatabase.h"
#include "core/db/DbError.h"
#include "core/db/QueryPages.h"
#include "core/db/RowCountInBackground.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QVariantList>

#include <memory>

namespace corvane {

// The rows of one statement for the query grid. The row count is exact but rows are read only
// as the view asks for them, in blocks held in a bounded cache: a table of a million rows shows
// at once and costs the memory of a few blocks. Each block is its own short read (see
// QueryPages): no statement stays open between two user actions, because an open one would hold
// a read lock on cv.mdb and keep a scan run from committing its rows.
//
// On the central database a long result shows its first rows at once and is counted on a thread
// of its own (countPending()); the rows beyond come in when totalRowsCounted() says so.
class QueryModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int blockRows = 256;
    static constexpr int cachedBlocks = 32;

    QueryModel(AuditDatabase& database, QObject* parent = nullptr);

    // Runs the statement in place of the current one. When it fails, the model keeps the
    // statement and rows it had.
    DbError run(const QString& jetStatement);
    QString statement() const { return m_statement; }
    qint64 totalRows() const { return m_pages.rowCount(); }
    // Whether totalRows() is only the first rows while the rest are being counted.
    bool countPending() const { return m_pages.countPending(); }
    QStringList fieldNames() const { return m_fieldNames; }
    QVariantList rowValues(qint64 row) const;
    AuditDatabase& database() const { return m_database; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    // The pending count has come, or failed with error (the rows known stay).
    void totalRowsCounted(const corvane::DbError& error);

private:
    const QList<QVariantList>& block(qint64 blockIndex) const;
    void countInBackground();
    void takeCount(quint64 run, const DbResult<qint64>& count);

    AuditDatabase& m_database;
    QString m_statement;
    QStringList m_fieldNames;
    QueryPages m_pages;
    // The cache changes on reads, which the view makes through const calls.
    mutable QHash<qint64, QList<QVariantList>> m_blocks;
    mutable QList<qint64> m_blockUse; // least recently used first
    quint64 m_runs = 0;                // which run a count that comes belongs to
    std::unique_ptr<RowCountInBackground> m_counting;
};

} // namespace corvane
