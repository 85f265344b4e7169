#include "core/db/postgresql/HistoryCopy.h"

#include "core/common/NameTexts.h"
#include "core/db/AuditDatabase.h"
#include "core/db/AuditTables.h"
#include "core/db/postgresql/CentralSchema.h"
#include "core/db/postgresql/PgConnection.h"
#include "core/db/postgresql/PgCopyWriter.h"
#include "core/sqlite/SqliteStatement.h"

#include <QCryptographicHash>

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

// One row of cv.mdb as it goes to the central database.
struct SourceRow
{
    qint64 rowid = 0;
    QList<QVariant> values;
};

// Texts as the scan made them from the file system's bytes; one that is no UTF-8 (written by
// another program) is read as the scan reads such a name, a character per byte, rather than
// turned into replacement characters.
QVariant columnValue(const SqliteStatement& statement, int column)
{
    QVariant value = statement.value(column);
    const bool undecodable =
        value.typeId() == QMetaType::QString && value.toString().contains(QChar::ReplacementCharacter);
    if (undecodable || value.typeId() == QMetaType::QByteArray)
        return nameText(statement.bytes(column));
    return value;
}

SourceRow currentRow(const SqliteStatement& statement)
{
    SourceRow row{statement.integer(0), {}};
    row.values.reserve(statement.columnCount() - 1);
    for (int column = 1; column < statement.columnCount(); ++column)
        row.values.append(columnValue(statement, column));
    return row;
}

// Identifies a row of one cv.mdb: its rowid and every value with its type.
QString rowDigest(const SourceRow& row)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArray::number(row.rowid));
    for (const QVariant& value : row.values) {
        hash.addData(QByteArray(QByteArray("\x1f") + QByteArray::number(value.typeId()) + ':'));
        if (const std::optional<QByteArray> text = parameterText(value))
            hash.addData(*text);
    }
    return QString::fromLatin1(hash.result().toHex());
}

QString selectAfter(const TableLayout& layout)
{
    QStringList columns{u"rowid"_s};
    for (const QString& column : layout.columns)
        columns.append(quotedIdentifier(column));
    return u"SELECT "_s + columns.join(u", "_s) + u" FROM "_s + quotedIdentifier(layout.name) +
           u" WHERE rowid > ?1 ORDER BY rowid"_s;
}

// Where a table's copy goes on: after the last rowid of a history this cv.mdb continues.
struct ResumePoint
{
    TableLayout layout;
    qint64 afterRowid = 0;
    QString continuedDigest; // the record replaced when rows are copied; empty for a new history
};

// The digest of the cv.mdb's row at rowid; empty when it holds none there.
DbResult<QString> digestAt(AuditDatabase& source, const TableLayout& layout, qint64 rowid)
{
    DbStatement prepared;
    if (const DbError error = source.prepare(prepared, selectAfter(layout) + u" LIMIT 1"_s); error.isError())
        return {{}, error};
    SqliteStatement& statement = *prepared.sqlite();
    statement.bind(1, rowid - 1);
    switch (const int rc = statement.step()) {
    case SQLITE_ROW: {
        const SourceRow row = currentRow(statement);
        return {row.rowid == rowid ? rowDigest(row) : QString(), {}};
    }
    case SQLITE_DONE:
        return {};
    default:
        return {{}, source.errorOf(rc)};
    }
}

DbResult<ResumePoint> resumePoint(AuditDatabase& source, PgConnection& session, const QString& station,
                                  const QString& table)
{
    const DbResult<TableLayout> layout = source.tableLayout(table);
    if (!layout.ok())
        return {{}, layout.error};
    const PgResult recorded =
        session.exec(u"SELECT last_rowid, last_row_digest FROM corvane.copied_history "
                     "WHERE station = $1 AND table_name = $2 ORDER BY last_rowid DESC"_s,
                     {stationKey(station), table});
    if (!recorded.ok())
        return {{}, recorded.error};
    for (int record = 0; record < recorded.rowCount(); ++record) {
        const qint64 rowid = recorded.text(record, 0).toLongLong();
        const DbResult<QString> digest = digestAt(source, layout.value, rowid);
        if (!digest.ok())
            return {{}, digest.error};
        if (digest.value == recorded.text(record, 1))
            return {{layout.value, rowid, digest.value}, {}};
    }
    return {{layout.value, 0, {}}, {}};
}

// What one table's copy sent: how many rows and the last of them.
struct TableCopy
{
    qint64 rows = 0;
    SourceRow last;
};

DbResult<TableCopy> copyTable(AuditDatabase& source, PgCopyTransaction& transaction, const ResumePoint& from,
                              const CopyProgress& progress)
{
    DbStatement prepared;
    if (const DbError error = source.prepare(prepared, selectAfter(from.layout)); error.isError())
        return {{}, error};
    SqliteStatement& statement = *prepared.sqlite();
    statement.bind(1, from.afterRowid);
    PgCopyWriter writer(transaction, from.layout.name, from.layout.columns);
    TableCopy copied;
    int rc = SQLITE_ROW;
    while ((rc = statement.step()) == SQLITE_ROW) {
        copied.last = currentRow(statement);
        if (const DbError error = writer.append(copied.last.values); error.isError())
            return {{}, error};
        if (++copied.rows % progress.every == 0 && progress.report)
            progress.report(from.layout.name, copied.rows);
    }
    if (rc != SQLITE_DONE)
        return {{}, source.errorOf(rc)};
    return {copied, {}};
}

// The record of how far the table's history got, in place of the one it continued.
DbError recordCopy(PgCopyTransaction& transaction, const QString& station, const ResumePoint& from,
                   const TableCopy& copied, const QString& sourceName)
{
    if (!from.continuedDigest.isEmpty()) {
        if (const DbError error = transaction.execute(
                u"DELETE FROM corvane.copied_history WHERE station = $1 AND table_name = $2 AND last_row_digest = $3"_s,
                {stationKey(station), from.layout.name, from.continuedDigest});
            error.isError())
            return error;
    }
    return transaction.execute(
        u"INSERT INTO corvane.copied_history (station, table_name, last_rowid, last_row_digest, source) "
        "VALUES ($1, $2, $3, $4, $5) ON CONFLICT (station, table_name, last_row_digest) "
        "DO UPDATE SET source = excluded.source, copied = now()"_s,
        {stationKey(station), from.layout.name, copied.last.rowid, rowDigest(copied.last), sourceName});
}

DbResult<QList<CopiedRows>> copyInTransaction(AuditDatabase& source, PgCopyTransaction& transaction,
                                              PgConnection& session, const QString& station,
                                              const QString& sourceName, const CopyProgress& progress)
{
    // Every resume point is read first: the session answers no other statement while a COPY runs.
    QList<ResumePoint> resumePoints;
    for (const QString& table : auditTableNames()) {
        DbResult<ResumePoint> from = resumePoint(source, session, station, table);
        if (!from.ok())
            return {{}, from.error};
        resumePoints.append(std::move(from.value));
    }
    QList<TableCopy> copies;
    QList<CopiedRows> counts;
    for (const ResumePoint& from : resumePoints) {
        DbResult<TableCopy> copied = copyTable(source, transaction, from, progress);
        if (!copied.ok())
            return {{}, copied.error};
        counts.append({from.layout.name, copied.value.rows});
        copies.append(std::move(copied.value));
    }
    for (qsizetype i = 0; i < resumePoints.size(); ++i) {
        if (copies[i].rows == 0)
            continue;
        if (const DbError error = recordCopy(transaction, station, resumePoints[i], copies[i], sourceName);
            error.isError())
            return {{}, error};
    }
    return {counts, {}};
}

} // namespace

DbResult<QList<CopiedRows>> copyHistory(AuditDatabase& source, PgConnection& session, const QString& station,
                                        const QString& sourceName, const CopyProgress& progress)
{
    PgCopyTransaction transaction(session);
    if (const DbError error = transaction.begin(); error.isError())
        return {{}, error};
    DbResult<QList<CopiedRows>> copied =
        copyInTransaction(source, transaction, session, station, sourceName, progress);
    if (!copied.ok())
        return copied; // the transaction rolls back as it goes
    if (const DbError error = transaction.commit(); error.isError())
        return {{}, error};
    return copied;
}

} // namespace corvane
