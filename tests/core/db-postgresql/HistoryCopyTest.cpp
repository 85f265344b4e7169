#include "CentralDatabase.h"

#include "core/db/AuditDatabaseFixture.h"
#include "core/db/AuditTables.h"
#include "core/db/postgresql/CentralSessions.h"
#include "core/db/postgresql/HistoryCopy.h"
#include "mock/SqliteScript.h"

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

using Cells = QList<std::optional<QString>>;

// Names as a scan may store them: quotes, COPY's own escapes, line breaks, an empty name, and
// the bytes of a name that is no UTF-8 as the scan keeps them (a character per byte).
const QStringList awkwardTexts{
    u"O'Brien \"quoted\""_s,
    u"tab\there"_s,
    u"line\nbreak\r\n"_s,
    u"back\\slash \\N \\. end\\"_s,
    QString::fromLatin1("caf\xe9 \xff\xfe"),
    u"Ünïcødé ✓ 漢字"_s,
    QString(u""_s),
};

// The value a column of that kind gets in row `row` of a table.
QVariant valueFor(ColumnKind kind, int row, int column)
{
    switch (kind) {
    case ColumnKind::Text:
        return awkwardTexts[(row + column) % awkwardTexts.size()];
    case ColumnKind::Integer:
        return row % 2 == 0 ? QVariant(qint64(9007199254740993) + row) : QVariant(qint64(-row * 7 - column));
    case ColumnKind::Date:
        return QDate(2026, 12, 7).addDays(-row * 40 - column);
    case ColumnKind::DateTime:
        return QDateTime(QDate(1999, 2, 28).addDays(row), QTime(23, 59, 58).addSecs(-row * 3601 - column));
    }
    return {};
}

// The cv.mdb's rows of a table in rowid order as the server shows such values: texts as kept,
// numbers in digits, dates in ISO form.
QList<Cells> sourceRows(const QString& path, const QString& table)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    const QByteArray sql = "SELECT * FROM \"" + table.toUtf8() + "\" ORDER BY rowid";
    sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr);
    QList<Cells> rows;
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
        Cells cells;
        for (int column = 0; column < sqlite3_column_count(statement); ++column) {
            const QByteArray bytes(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                                   sqlite3_column_bytes(statement, column));
            if (sqlite3_column_type(statement, column) == SQLITE_NULL)
                cells.append(std::nullopt);
            else
                cells.append(bytes.isValidUtf8() ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes));
        }
        rows.append(cells);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

class HistoryCopyTest : public CentralDatabase
{
protected:
    void SetUp() override
    {
        CentralDatabase::SetUp();
        initialise(station);
    }

    // Rows for every column of the table, the last one all null.
    void fillTable(const QString& path, const QString& table, int rows)
    {
        AuditDatabase database;
        ASSERT_FALSE(database.open(path, AuditDatabase::Access::ReadWrite).isError());
        const DbResult<TableLayout> layout = database.tableLayout(table);
        ASSERT_TRUE(layout.ok()) << layout.error.text().toStdString();
        QList<Fields> all;
        for (int row = 0; row < rows; ++row) {
            Fields fields;
            for (int column = 0; column < layout.value.columns.size(); ++column)
                fields.append(
                    {layout.value.columns[column], valueFor(layout.value.kinds[column], row, column)});
            all.append(fields);
        }
        all.append(Fields{});
        appendRows(database, table, all);
    }

    void fillEveryTable(const QString& path, int rows)
    {
        for (const QString& table : auditTableNames())
            fillTable(path, table, rows);
    }

    DbResult<QList<CopiedRows>> copy(const QString& path, const CopyProgress& progress = {})
    {
        AuditDatabase source;
        const DbError opened = source.open(path, AuditDatabase::Access::ReadOnly);
        if (opened.isError())
            return {{}, opened};
        PgConnection session;
        if (const DbError error = openStationSession(session, connectionText(), station, u"host-a"_s);
            error.isError())
            return {{}, error};
        return copyHistory(source, session, station, path, progress);
    }

    // The rows copied per table, for the tables that got any.
    QMap<QString, qint64> copiedCounts(const QString& path)
    {
        const DbResult<QList<CopiedRows>> copied = copy(path);
        EXPECT_TRUE(copied.ok()) << copied.error.text().toStdString();
        QMap<QString, qint64> counts;
        for (const CopiedRows& table : copied.value)
            if (table.rows != 0)
                counts.insert(table.table, table.rows);
        return counts;
    }

    QList<Cells> centralRows(const QString& table, const QStringList& columns)
    {
        QStringList lower;
        for (const QString& column : columns)
            lower.append(column.toLower());
        PostgresConnection admin(server_->connectionString(database()));
        const PostgresConnection::Result result =
            admin.run(u"SELECT "_s + lower.join(u", "_s) + u" FROM station_alpha."_s + table.toLower() +
                      u" ORDER BY rowid"_s);
        EXPECT_TRUE(result.ok()) << result.error.toStdString();
        return result.rows;
    }

    qint64 centralCount(const QString& table)
    {
        return adminValue(u"SELECT count(*) FROM station_alpha."_s + table).toLongLong();
    }

    qint64 centralTotal()
    {
        QStringList counts;
        for (const QString& table : auditTableNames())
            counts.append(u"(SELECT count(*) FROM station_alpha."_s + table + u')');
        return adminValue(u"SELECT "_s + counts.join(u" + "_s)).toLongLong();
    }

    const QString station = u"alpha"_s;
    TempAuditDatabase cvMdb;
};

TEST_F(HistoryCopyTest, EveryValueOfEveryTableArrivesAsCvMdbHoldsIt)
{
    fillEveryTable(cvMdb.path, 7);
    // A name another program wrote as bytes that are no UTF-8.
    runSqliteScript(cvMdb.path,
                    "INSERT INTO NewDirs (Directory, Created) VALUES (CAST(X'5359533A636166E9FF' AS TEXT), "
                    "'2026-12-07')");

    const DbResult<QList<CopiedRows>> copied = copy(cvMdb.path);
    ASSERT_TRUE(copied.ok()) << copied.error.text().toStdString();
    ASSERT_EQ(copied.value.size(), auditTableNames().size());
    AuditDatabase source;
    ASSERT_FALSE(source.open(cvMdb.path, AuditDatabase::Access::ReadOnly).isError());
    for (const CopiedRows& table : copied.value) {
        const QList<Cells> expected = sourceRows(cvMdb.path, table.table);
        EXPECT_EQ(table.rows, expected.size()) << table.table.toStdString();
        EXPECT_EQ(centralRows(table.table, source.tableLayout(table.table).value.columns), expected)
            << table.table.toStdString();
    }
    EXPECT_EQ(centralRows(u"NewDirs"_s, {u"directory"_s}).last().front(),
              QString::fromLatin1("SYS:caf\xe9\xff"));
}

TEST_F(HistoryCopyTest, RowsAreCopiedOnceAndRowsAppendedSinceAfterThem)
{
    fillEveryTable(cvMdb.path, 2);
    const QMap<QString, qint64> first = copiedCounts(cvMdb.path);
    EXPECT_EQ(first.size(), auditTableNames().size());
    const qint64 total = centralTotal();
    EXPECT_EQ(total, 3 * auditTableNames().size());

    EXPECT_TRUE(copiedCounts(cvMdb.path).isEmpty());
    EXPECT_EQ(centralTotal(), total);

    fillTable(cvMdb.path, u"Detail"_s, 4);
    fillTable(cvMdb.path, u"Temp"_s, 0);
    const QMap<QString, qint64> expected{{u"Detail"_s, 5}, {u"Temp"_s, 1}};
    EXPECT_EQ(copiedCounts(cvMdb.path), expected);
    EXPECT_EQ(centralCount(u"detail"_s), 3 + 5);
    EXPECT_TRUE(copiedCounts(cvMdb.path).isEmpty());
    EXPECT_EQ(centralRows(u"Detail"_s, {u"file"_s}).size(), sourceRows(cvMdb.path, u"Detail"_s).size());
}

TEST_F(HistoryCopyTest, ACvMdbPurgedOrAnotherOneIsANewHistoryAndEachIsCopiedOnce)
{
    fillTable(cvMdb.path, u"Detail"_s, 3);
    EXPECT_EQ(copiedCounts(cvMdb.path).value(u"Detail"_s), 4);

    // Purge All: the rowids start again at 1, under other rows.
    runSqliteScript(cvMdb.path, "DELETE FROM Detail; INSERT INTO Detail (file) VALUES ('after-purge-1.txt'), "
                                "('after-purge-2.txt')");
    EXPECT_EQ(copiedCounts(cvMdb.path).value(u"Detail"_s), 2);
    EXPECT_EQ(centralCount(u"detail"_s), 4 + 2);

    TempAuditDatabase other;
    runSqliteScript(other.path,
                    "INSERT INTO Detail (file) VALUES ('other-1.txt'), ('other-2.txt'), ('other-3.txt')");
    EXPECT_EQ(copiedCounts(other.path).value(u"Detail"_s), 3);
    EXPECT_EQ(centralCount(u"detail"_s), 4 + 2 + 3);

    // Both histories are known: neither is copied again, and each goes on where it stopped.
    EXPECT_TRUE(copiedCounts(cvMdb.path).isEmpty());
    EXPECT_TRUE(copiedCounts(other.path).isEmpty());
    runSqliteScript(other.path, "INSERT INTO Detail (file) VALUES ('other-4.txt')");
    EXPECT_EQ(copiedCounts(other.path).value(u"Detail"_s), 1);
    EXPECT_TRUE(copiedCounts(cvMdb.path).isEmpty());

    // The purge of old days keeps the last row copied: the rows after it are the new ones.
    runSqliteScript(cvMdb.path, "DELETE FROM Detail WHERE file = 'after-purge-1.txt'; "
                                "INSERT INTO Detail (file) VALUES ('later.txt')");
    EXPECT_EQ(copiedCounts(cvMdb.path).value(u"Detail"_s), 1);
    EXPECT_EQ(centralCount(u"detail"_s), 4 + 2 + 3 + 1 + 1);
}

TEST_F(HistoryCopyTest, ACopyThatFailsKeepsNothingAndTheNextCopiesEverything)
{
    fillEveryTable(cvMdb.path, 3);
    // A value the server refuses, in the last table copied: the tables before it are in by then.
    runSqliteScript(cvMdb.path, "INSERT INTO Temp (Directory, Date) VALUES ('SYS:X', 'no date')");
    const DbResult<QList<CopiedRows>> refused = copy(cvMdb.path);
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error.description.contains(u"no date"_s)) << refused.error.text().toStdString();
    EXPECT_EQ(centralTotal(), 0);
    EXPECT_EQ(adminValue(u"SELECT count(*) FROM corvane.copied_history"_s), u"0"_s);
    runSqliteScript(cvMdb.path, "DELETE FROM Temp WHERE Date = 'no date'");

    // The connection lost in the middle of the copy.
    const qint64 detailRows = sourceRows(cvMdb.path, u"Detail"_s).size();
    PgConnection session;
    ASSERT_FALSE(openStationSession(session, connectionText(), station, u"host-a"_s).isError());
    AuditDatabase source;
    ASSERT_FALSE(source.open(cvMdb.path, AuditDatabase::Access::ReadOnly).isError());
    CopyProgress progress;
    progress.every = 2;
    QString terminated;
    progress.report = [&](const QString&, qint64) {
        if (terminated.isEmpty())
            terminated = adminValue(u"SELECT pg_terminate_backend(%1, 60000)"_s.arg(session.backendPid()));
    };
    const DbResult<QList<CopiedRows>> lost = copyHistory(source, session, station, cvMdb.path, progress);
    EXPECT_EQ(terminated, u"t"_s);
    EXPECT_FALSE(lost.ok());
    EXPECT_TRUE(lost.error.description.startsWith(u"The connection to the database server failed"_s))
        << lost.error.text().toStdString();
    EXPECT_EQ(centralTotal(), 0);

    const QMap<QString, qint64> again = copiedCounts(cvMdb.path);
    EXPECT_EQ(again.size(), auditTableNames().size());
    EXPECT_EQ(again.value(u"Detail"_s), detailRows);
    EXPECT_EQ(centralTotal(), 4 * auditTableNames().size());
}

TEST_F(HistoryCopyTest, ALongCopyTellsHowFarItGot)
{
    fillTable(cvMdb.path, u"Detail"_s, 9);
    fillTable(cvMdb.path, u"Temp"_s, 2);
    CopyProgress progress;
    progress.every = 4;
    QStringList reports;
    progress.report = [&](const QString& table, qint64 rows) {
        reports.append(table + u' ' + QString::number(rows));
    };
    ASSERT_TRUE(copy(cvMdb.path, progress).ok());
    EXPECT_EQ(reports, (QStringList{u"Detail 4"_s, u"Detail 8"_s}));
}

} // namespace
} // namespace corvane::test
