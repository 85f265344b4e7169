#include "BothEngines.h"

#include "core/db/JetDates.h"
#include "core/graphs/GraphChoice.h"
#include "core/graphs/GraphKinds.h"
#include "core/query/QueryTexts.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

QString fileText(const char* path)
{
    QFile file(QString::fromUtf8(path));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The same rows on both engines, written so that both read them alike. "Caf\u00e9" is what a
// name with the byte 0xE9 that is no UTF-8 becomes in cv.mdb (read as Latin-1).
const char* const auditRows = R"(
INSERT INTO Detail VALUES ('\SYS\PUBLIC', '2026-12-01 08:00:05', 'ADMIN', '2026-12-05', NULL, NULL,
    '2026-12-04 17:30:00', 'Admin', 'login.exe', '2026-12-06', 120000);
INSERT INTO Detail VALUES ('\SYS\public', '2026-11-30 23:59:59', 'guest', '2026-12-06', '2026-12-02 09:00:01',
    'backup', NULL, NULL, 'README.TXT', '2026-12-06', 512);
INSERT INTO Detail VALUES ('\DATA\O''Brien', '2026-12-06 10:05:00', 'o''brien', NULL, NULL, NULL,
    '2026-12-06 10:05:00', 'O''Brien', 'it''s.doc', '2026-12-06', 0);
INSERT INTO Detail VALUES ('\DATA\Café', '2026-12-03 12:00:00', 'jürgen', '2026-12-04', NULL, NULL,
    NULL, NULL, 'Menü.txt', '2026-12-06', 7777);
INSERT INTO Detail VALUES ('\DATA\Reports', NULL, NULL, NULL, NULL, NULL, NULL, NULL, 'q4_[draft].xls',
    '2026-12-05', NULL);
INSERT INTO Detail VALUES ('\DATA\reports', '2026-12-05 07:07:07', 'Bob', '2026-12-05', NULL, NULL,
    '2026-12-05 07:07:08', 'bob', 'a*b?.txt', '2026-12-05', 99);
INSERT INTO DeletedFiles VALUES ('\SYS\PUBLIC', '2026-12-02 11:00:00', 'ADMIN', 'old.exe', 10);
INSERT INTO DeletedFiles VALUES ('\SYS\PUBLIC', '2026-12-02 15:30:00', 'admin', 'older.exe', 20);
INSERT INTO DeletedFiles VALUES ('\DATA\Reports', '2026-12-04 09:15:00', 'Bob', 'q3.xls', 3000);
INSERT INTO DeletedFiles VALUES ('\DATA\Café', '2026-12-05 18:45:10', 'jürgen', 'Ärger.txt', NULL);
INSERT INTO NewFiles VALUES ('\DATA\Reports', '2026-12-04 09:10:00', 'Bob', 'q4.xls', 4000);
INSERT INTO NewFiles VALUES ('\SYS\PUBLIC', '2026-12-01 08:00:05', 'ADMIN', 'login.exe', 120000);
INSERT INTO EditedFiles VALUES ('\SYS\PUBLIC', 'login.exe', 120000, '2026-12-04 17:30:00', 'Admin');
INSERT INTO EditedFiles VALUES ('\DATA\reports', 'a*b?.txt', 99, '2026-12-05 07:07:08', 'bob');
INSERT INTO ArchivedFiles VALUES ('\SYS\public', '2026-12-02 09:00:01', 'backup', 'README.TXT', 512);
INSERT INTO OpenedFiles VALUES ('\SYS\PUBLIC', '2026-12-05', 'login.exe', 120000);
INSERT INTO DirActivity VALUES ('\SYS\PUBLIC', '2026-12-02', 2, 0, 0, 0, 0);
INSERT INTO DirActivity VALUES ('\SYS\PUBLIC', '2026-12-04', 0, 1, 1, 0, 0);
INSERT INTO DirActivity VALUES ('\DATA\Reports', '2026-12-04', 1, 1, 0, 0, 0);
INSERT INTO DirActivity VALUES ('\DATA\Café', '2026-12-05', 1, 0, 0, 2, 1);
INSERT INTO DirActivity VALUES ('\SYS\public', '2026-12-05', NULL, 0, 1, 1, 3);
INSERT INTO NewDirs VALUES ('\DATA\Reports', '2026-12-03');
INSERT INTO NewDirs VALUES ('\DATA\Café', '2026-12-03');
INSERT INTO NewDirs VALUES ('\DATA\O''Brien', '2026-12-06');
INSERT INTO DeletedDirs VALUES ('\DATA\Old', '2026-12-04');
INSERT INTO Temp VALUES ('\SYS\PUBLIC', '2026-12-06');
)";

// A stored date-time of cv.mdb at midnight may carry its time; PostgreSQL's timestamp is one value.
QString sameInstant(const QString& cell)
{
    static const QRegularExpression stored(u"^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"_s);
    if (!stored.match(cell).hasMatch())
        return cell;
    const auto value = parseJetDateText(cell);
    return value ? jetStorageText(*value) : cell;
}

// The rows of a statement as Jet users see them, cells joined by "|"; one "error: ..." entry
// when the translator or the engine refuses it.
using Rows = QStringList;

// cv.mdb's tables on both engines, with the same rows: every Jet statement the program runs,
// and statements users write, must give the same rows, cell by cell.
class JetStatementsOnBoth : public BothEngines
{
protected:
    static void SetUpTestSuite()
    {
        BothEngines::SetUpTestSuite();
        if (!setupError_.isEmpty())
            return;
        const QString tables = fileText(CV_POSTGRES_TABLES_SQL);
        if (tables.isEmpty()) {
            setupError_ = u"cannot read "_s + QStringLiteral(CV_POSTGRES_TABLES_SQL);
            return;
        }
        PostgresConnection loader(connectionString());
        for (const QString& script : {u"CREATE EXTENSION citext"_s, tables, QString::fromUtf8(auditRows)}) {
            const PostgresConnection::Result result = loader.run(script);
            if (!result.ok()) {
                setupError_ = u"setting up the audit tables: "_s + result.error;
                return;
            }
        }
    }

    void SetUp() override
    {
        BothEngines::SetUp();
        const QByteArray schema = fileText(CV_SCHEMA_SQL).toUtf8();
        ASSERT_FALSE(schema.isEmpty()) << "cannot read " << CV_SCHEMA_SQL;
        onSqlite(schema.constData());
        onSqlite(auditRows);
    }

    // cv.mdb's columns of a table, as the program knows them.
    std::optional<QStringList> columnsOf(const QString& table)
    {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(sqlite(), "SELECT name FROM pragma_table_info(?1)", -1, &statement, nullptr);
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(statement, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        QStringList columns;
        while (sqlite3_step(statement) == SQLITE_ROW)
            columns.append(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))));
        sqlite3_finalize(statement);
        return columns.isEmpty() ? std::nullopt : std::optional(columns);
    }

    JetTranslation translated(const QString& jet, JetEngine engine)
    {
        return translateJet(
            jet, [this](const QString& table) { return columnsOf(table); }, engine);
    }

    Rows rowsOnSqlite(const QString& jet)
    {
        const JetTranslation translation = translated(jet, JetEngine::Sqlite);
        if (!translation.ok())
            return {u"error: "_s + translation.errorDescription};
        return plainRowsOnSqlite(translation.sql);
    }

    Rows plainRowsOnSqlite(const QString& plainSql)
    {
        sqlite3_stmt* statement = nullptr;
        const QByteArray sql = plainSql.toUtf8();
        if (sqlite3_prepare_v2(sqlite(), sql.constData(), -1, &statement, nullptr) != SQLITE_OK)
            return {u"error: "_s + QString::fromUtf8(sqlite3_errmsg(sqlite()))};
        Rows rows;
        int status = SQLITE_ROW;
        while ((status = sqlite3_step(statement)) == SQLITE_ROW) {
            QStringList cells;
            for (int column = 0; column < sqlite3_column_count(statement); ++column)
                cells.append(sameInstant(cellShownBySqlite(statement, column)));
            rows.append(cells.join(u'|'));
        }
        if (status != SQLITE_DONE)
            rows = Rows{u"error: "_s + QString::fromUtf8(sqlite3_errmsg(sqlite()))};
        sqlite3_finalize(statement);
        return rows;
    }

    Rows rowsOnPostgres(const QString& jet)
    {
        const JetTranslation translation = translated(jet, JetEngine::Postgres);
        if (!translation.ok())
            return {u"error: "_s + translation.errorDescription};
        const PostgresConnection::Result result = postgres().run(translation.sql);
        if (!result.ok())
            return {u"error: "_s + result.error + u"\n    in: "_s + translation.sql};
        Rows rows;
        for (const auto& row : result.rows) {
            QStringList cells;
            for (qsizetype column = 0; column < row.size(); ++column)
                cells.append(cellShownByPostgres(result.types[column], row[column]));
            rows.append(cells.join(u'|'));
        }
        return rows;
    }

    // Without ORDER BY the engines may give the rows in any order: those are compared as sets.
    void expectSameRows(const QStringList& statements)
    {
        QStringList differences;
        for (const QString& jet : statements) {
            Rows reference = rowsOnSqlite(jet);
            Rows shown = rowsOnPostgres(jet);
            if (!jet.contains(u"ORDER BY"_s, Qt::CaseInsensitive)) {
                std::sort(reference.begin(), reference.end());
                std::sort(shown.begin(), shown.end());
            }
            if (!reference.isEmpty() && reference.front().startsWith(u"error: "_s))
                differences.append(jet + u"\n    fails on cv.mdb: "_s + reference.join(u'\n'));
            else if (shown != reference)
                differences.append(jet + u"\n    cv.mdb:\n      "_s + reference.join(u"\n      "_s) +
                                   u"\n    PostgreSQL:\n      "_s + shown.join(u"\n      "_s));
        }
        EXPECT_TRUE(differences.isEmpty())
            << differences.size() << " of " << statements.size() << " statements differ:\n"
            << differences.join(u'\n').toStdString();
    }
};

TEST_F(JetStatementsOnBoth, TablesOfTheQueryWindowList)
{
    QStringList statements;
    for (const QueryTable& table : queryTables())
        statements.append(table.statement);
    ASSERT_FALSE(statements.isEmpty());
    expectSameRows(statements);
}

TEST_F(JetStatementsOnBoth, StatementsOfTheCharts)
{
    QStringList statements;
    for (const QString& kind : graphKinds()) {
        if (kind == customGraphKind())
            continue;
        GraphChoice choice;
        choice.kind = kind;
        choice.startDate = u"12/1/2026"_s;
        choice.endDate = u"12/5/2026"_s;
        choice.userName = needsUserName(kind) ? u"o'b"_s : QString();
        statements.append(buildGraphStatement(choice));
        choice.userName = needsUserName(kind) ? u"ADM"_s : QString();
        statements.append(buildGraphStatement(choice));
    }
    // A chart of a statement file, as users write them.
    statements.append(
        u"SELECT SysDate, SUM(Deleted) AS Deleted, SUM(Opened) AS Opened FROM DirActivity "
        "WHERE SysDate BETWEEN #12/2/2026# AND #12/5/2026# GROUP BY SysDate ORDER BY SysDate"_s);
    expectSameRows(statements);
}

TEST_F(JetStatementsOnBoth, DatesAndTimes)
{
    expectSameRows({
        u"SELECT file FROM Detail WHERE Created >= #12/1/2026# ORDER BY file"_s,
        u"SELECT file FROM Detail WHERE Created < #2026-12-01# ORDER BY file"_s,
        u"SELECT file FROM Detail WHERE lastedit = #12/6/2026 10:05:00 AM#"_s,
        u"SELECT file FROM Detail WHERE SysDate = #12/6/2026# ORDER BY file"_s,
        u"SELECT file FROM Detail WHERE SysDate <> #12/6/2026# ORDER BY file"_s,
        u"SELECT file FROM Detail WHERE LastAccess BETWEEN #12/4/2026# AND #12/5/2026# ORDER BY file"_s,
        u"SELECT file FROM Detail WHERE Created NOT BETWEEN #12/1/2026# AND #12/31/2026#"_s,
        u"SELECT file FROM Detail WHERE SysDate IN (#12/5/2026#, #1/1/2020#) ORDER BY file"_s,
        u"SELECT file, Year(Created), Month(Created), Day(Created), Hour(Created) FROM Detail ORDER BY file"_s,
        u"SELECT file, DateDiff('d', Created, lastedit) FROM Detail ORDER BY file"_s,
        u"SELECT file, DateAdd('d', 1, SysDate) FROM Detail ORDER BY file"_s,
        u"SELECT file, Format(Created, 'yyyy-mm-dd hh:nn') FROM Detail ORDER BY file"_s,
        u"SELECT file, Created + 1, SysDate - LastAccess FROM Detail ORDER BY file"_s,
        u"SELECT Left(Deleted, 10) AS Day, COUNT(*) FROM DeletedFiles WHERE Left(Deleted, 10) >= #12/2/2026# "
        "GROUP BY Left(Deleted, 10) ORDER BY Left(Deleted, 10)"_s,
        u"SELECT #12/6/2026#, #10:05:00#, #12/6/2026 10:05:09 PM#"_s,
        u"SELECT file FROM Detail WHERE Created >= DateSerial(2026, 12, 3) ORDER BY file"_s,
    });
}

TEST_F(JetStatementsOnBoth, TextsWithoutRegardToCase)
{
    expectSameRows({
        u"SELECT file FROM Detail WHERE Directory = '\\sys\\public' ORDER BY file"_s,
        u"SELECT file FROM Detail WHERE Editor = 'ADMIN'"_s,
        u"SELECT file FROM Detail WHERE UCase(owner) = 'admin'"_s,
        u"SELECT file FROM Detail WHERE Left(file, 5) = 'LOGIN'"_s,
        u"SELECT 'abc' = 'ABC', 'a' < 'B', 'Z' > 'a'"_s,
        u"SELECT file FROM Detail WHERE owner = Editor ORDER BY file"_s,
        u"SELECT file FROM Detail WHERE file > 'M' ORDER BY file"_s,
        u"SELECT file FROM Detail WHERE Directory IN ('\\data\\reports', '\\DATA\\CAFÉ') ORDER BY file"_s,
        u"SELECT file FROM Detail WHERE owner = 'O''BRIEN'"_s,
        u"SELECT file FROM Detail WHERE Directory = '\\DATA\\Café'"_s,
        u"SELECT Directory & '\\' & file, Len(file), Mid(file, 2, 3), InStr(file, 'T') FROM Detail ORDER BY file"_s,
        u"SELECT file & NULL, NULL & NULL, 'a' & 1 & #12/6/2026# FROM Detail WHERE Bytes = 0"_s,
    });
}

TEST_F(JetStatementsOnBoth, LikePatterns)
{
    expectSameRows({
        u"SELECT file FROM Detail WHERE file LIKE '*.TXT' ORDER BY file"_s,
        u"SELECT file FROM Detail WHERE file LIKE 'l?gin*'"_s,
        u"SELECT file FROM Detail WHERE file LIKE '*[*]*'"_s,
        u"SELECT file FROM Detail WHERE file LIKE 'q#_*'"_s,
        u"SELECT file FROM Detail WHERE file LIKE '*[[]draft]*'"_s,
        u"SELECT file FROM Detail WHERE file LIKE '[a-m]*' ORDER BY file"_s,
        u"SELECT file FROM Detail WHERE file LIKE '[!a-m]*' ORDER BY file"_s,
        u"SELECT file FROM Detail WHERE file NOT LIKE '*e*' ORDER BY file"_s,
        u"SELECT file FROM Detail WHERE owner LIKE '*''*'"_s,
        u"SELECT file FROM Detail WHERE Directory LIKE '*caf*'"_s,
    });
}

TEST_F(JetStatementsOnBoth, ArithmeticAndTruth)
{
    expectSameRows({
        u"SELECT file, Bytes / 2, Bytes \\ 7, Bytes Mod 7, Bytes ^ 2, -Bytes, Bytes * 3 FROM Detail ORDER BY file"_s,
        u"SELECT 7 / 2, 7 \\ 2, 7 Mod 3, 2 ^ 10, 2 ^ -1, 1.5 * 2, 10 - 2.5, 9223372036854775807"_s,
        u"SELECT file, Bytes > 100, Bytes = 0 OR Bytes IS NULL, NOT (Bytes > 100) FROM Detail ORDER BY file"_s,
        u"SELECT file, IIf(Bytes > 1000, 'big', 'small'), IIf(Bytes, 1, 0), IIf(IsNull(Bytes), -1, Bytes) "
        "FROM Detail ORDER BY file"_s,
        u"SELECT file, Nz(Bytes), Nz(Bytes, -1), Nz(owner, '?') FROM Detail ORDER BY file"_s,
        u"SELECT True, False, True = -1, 5 > 3 AND 2 > 1"_s,
        u"SELECT file FROM Detail WHERE True ORDER BY file"_s,
        u"SELECT file FROM Detail WHERE Bytes ORDER BY file"_s,
        u"SELECT file FROM Detail WHERE (Bytes > 100) = False ORDER BY file"_s,
        u"SELECT file, Abs(-Bytes), Sgn(Bytes - 100), Int(Bytes / 7), Fix(-Bytes / 7), Round(Bytes / 7, 2) "
        "FROM Detail ORDER BY file"_s,
        u"SELECT file, CStr(Bytes), Val(file), CLng(Bytes / 3), Str(Bytes) FROM Detail ORDER BY file"_s,
    });
}

TEST_F(JetStatementsOnBoth, GroupingAndAggregates)
{
    expectSameRows({
        u"SELECT COUNT(*), COUNT(Bytes), SUM(Bytes), AVG(Bytes), MIN(Bytes), MAX(Bytes) FROM Detail"_s,
        u"SELECT MIN(file), MAX(file), MIN(Created), MAX(lastedit) FROM Detail"_s,
        u"SELECT SysDate, COUNT(*) AS Files, SUM(Bytes) AS Total FROM Detail GROUP BY SysDate ORDER BY SysDate"_s,
        u"SELECT Deletor, COUNT(*) FROM DeletedFiles GROUP BY Deletor HAVING COUNT(*) > 1"_s,
        u"SELECT SysDate, SUM(Deleted) AS Deleted FROM DirActivity GROUP BY SysDate ORDER BY Deleted DESC, SysDate"_s,
        u"SELECT SysDate, COUNT(*) AS n FROM DirActivity GROUP BY SysDate ORDER BY n DESC, SysDate"_s,
        u"SELECT SysDate, SUM(Opened + Archived) FROM DirActivity GROUP BY SysDate ORDER BY 2 DESC, 1"_s,
        u"SELECT DISTINCT SysDate FROM Detail ORDER BY SysDate DESC"_s,
        u"SELECT DISTINCTROW file FROM Detail ORDER BY file"_s,
        u"SELECT COUNT(*) FROM Detail WHERE Bytes > (SELECT AVG(Bytes) FROM Detail)"_s,
        u"SELECT file FROM Detail WHERE EXISTS (SELECT * FROM DeletedFiles WHERE DeletedFiles.Directory = "
        "Detail.Directory) ORDER BY file"_s,
        u"SELECT COUNT(*) FROM (SELECT DISTINCT SysDate FROM DirActivity)"_s,
    });
}

TEST_F(JetStatementsOnBoth, TopAndSortingWithNullsAndCase)
{
    expectSameRows({
        u"SELECT file, Bytes FROM Detail ORDER BY Bytes"_s,
        u"SELECT file, Bytes FROM Detail ORDER BY Bytes DESC"_s,
        u"SELECT file, owner FROM Detail ORDER BY owner, file"_s,
        u"SELECT file FROM Detail ORDER BY file DESC"_s,
        u"SELECT file, lastedit FROM Detail ORDER BY lastedit DESC, file"_s,
        u"SELECT TOP 2 file, Bytes FROM Detail ORDER BY Bytes DESC"_s,
        u"SELECT TOP 1 SysDate FROM DirActivity ORDER BY SysDate DESC"_s,
        u"SELECT TOP 2 * FROM DirActivity ORDER BY 2, 1"_s,
        u"SELECT TOP 3 SysDate FROM Detail ORDER BY SysDate DESC"_s,
        u"SELECT TOP 2 file, Bytes AS Size FROM Detail ORDER BY Size"_s,
        u"SELECT TOP 3 file FROM Detail"_s,
        u"SELECT * FROM Detail ORDER BY file"_s,
        u"SELECT d.* FROM Detail AS d ORDER BY d.file"_s,
        u"SELECT file AS [Name of File], Bytes FROM Detail ORDER BY [name of file]"_s,
        u"SELECT Deletor, COUNT(Deleted) AS Deleted FROM DeletedFiles GROUP BY Deletor, Deleted ORDER BY Deleted"_s,
    });
}

TEST_F(JetStatementsOnBoth, JoinsAndUnions)
{
    expectSameRows({
        u"SELECT Detail.file, NewFiles.Bytes FROM Detail INNER JOIN NewFiles ON Detail.file = NewFiles.file "
        "ORDER BY Detail.file"_s,
        u"SELECT d.file, e.Editor FROM Detail AS d LEFT JOIN EditedFiles AS e ON d.file = e.file ORDER BY d.file"_s,
        u"SELECT n.Directory, a.Deleted FROM NewDirs n, DirActivity a WHERE n.Directory = a.Directory "
        "ORDER BY n.Directory, a.SysDate"_s,
        u"SELECT * FROM NewDirs INNER JOIN DirActivity ON NewDirs.Directory = DirActivity.Directory "
        "ORDER BY DirActivity.SysDate, NewDirs.Directory"_s,
        u"SELECT file FROM NewFiles UNION SELECT file FROM DeletedFiles ORDER BY file"_s,
        u"SELECT Directory FROM NewDirs UNION ALL SELECT Directory FROM DeletedDirs"_s,
        u"SELECT x.file FROM (SELECT file, Bytes FROM Detail WHERE Bytes > 100) AS x ORDER BY x.file"_s,
    });
}

// Statements that do not mean the same on PostgreSQL, or at all, fail alike on both engines,
// with a number and Jet's description, before either engine sees them.
TEST_F(JetStatementsOnBoth, RefusedStatementsFailAlike)
{
    for (const QString& jet :
         {u"SELECT TOP 50 PERCENT file FROM Detail"_s, u"SELECT file FROM Detail WHERE a XOR b"_s,
          u"SELECT TOP 1 DISTINCT SysDate FROM Detail ORDER BY SysDate"_s, u"CREATE TABLE x (a INTEGER)"_s,
          u"SELECT Foo(file) FROM Detail"_s, u"SELECT file FROM Detail WHERE Created = #13/45/2026#"_s}) {
        const JetTranslation sqlite = translated(jet, JetEngine::Sqlite);
        const JetTranslation postgres = translated(jet, JetEngine::Postgres);
        EXPECT_FALSE(postgres.ok()) << jet.toStdString() << " gave " << postgres.sql.toStdString();
        EXPECT_NE(postgres.errorNumber, 0);
        EXPECT_EQ(postgres.errorNumber, sqlite.errorNumber) << jet.toStdString();
        EXPECT_EQ(postgres.errorDescription, sqlite.errorDescription) << jet.toStdString();
    }
}

TEST_F(JetStatementsOnBoth, WritingStatements)
{
    const QStringList writes = {
        u"UPDATE Detail SET owner = 'Nobody', Bytes = Bytes + 1 WHERE owner LIKE 'g*'"_s,
        u"UPDATE Detail AS d SET d.Editor = UCase(d.Editor) WHERE d.Editor IS NOT NULL AND True"_s,
        u"DELETE FROM DeletedFiles WHERE Deleted < #12/3/2026#"_s,
        u"DELETE * FROM NewDirs WHERE Directory = '\\data\\reports'"_s,
        u"INSERT INTO Temp VALUES ('\\X\\Y', #12/7/2026#)"_s,
        u"INSERT INTO Temp (Directory, [Date]) SELECT Directory, SysDate FROM DirActivity WHERE Deleted > 0"_s,
    };
    // Rolled back when the test's connection closes, so the other tests see the rows as loaded.
    ASSERT_TRUE(postgres().run(u"BEGIN"_s).ok());
    for (const QString& jet : writes) {
        EXPECT_EQ(rowsOnSqlite(jet), Rows{}) << jet.toStdString();
        EXPECT_EQ(rowsOnPostgres(jet), Rows{}) << jet.toStdString();
    }
    expectSameRows({u"SELECT * FROM Detail ORDER BY file"_s, u"SELECT * FROM DeletedFiles ORDER BY file"_s,
                    u"SELECT * FROM NewDirs ORDER BY Directory"_s,
                    u"SELECT * FROM Temp ORDER BY Directory, [Date]"_s});
}

// The query window finds each row of a sorted result again by its rowid: on PostgreSQL the
// hidden column, which "*" leaves out.
TEST_F(JetStatementsOnBoth, RowKeyedStatementCarriesTheHiddenRowid)
{
    const JetTranslation translation =
        translated(u"SELECT * FROM Detail ORDER BY Bytes DESC"_s, JetEngine::Postgres);
    ASSERT_TRUE(translation.ok()) << translation.errorDescription.toStdString();
    const PostgresConnection::Result plain = postgres().run(translation.sql);
    const PostgresConnection::Result keyed = postgres().run(translation.rowKeyedSql);
    ASSERT_TRUE(plain.ok() && keyed.ok()) << plain.error.toStdString() << keyed.error.toStdString();
    EXPECT_EQ(plain.types.size(), 11);
    ASSERT_EQ(keyed.types.size(), 12);
    ASSERT_EQ(keyed.rows.size(), plain.rows.size());
    for (qsizetype row = 0; row < keyed.rows.size(); ++row) {
        EXPECT_EQ(keyed.rows[row].mid(0, 11), plain.rows[row]);
        const PostgresConnection::Result again =
            postgres().run(u"SELECT file FROM detail WHERE rowid = "_s + *keyed.rows[row][11]);
        EXPECT_EQ(again.rows.value(0).value(0), plain.rows[row][8]);
    }
}

// The tables the translated statements run on: cv.mdb's, column by column and index by index.
TEST_F(JetStatementsOnBoth, TablesHaveTheColumnsAndIndexesOfCvMdb)
{
    const QHash<QString, QString> typeOnPostgres = {{u"TEXT"_s, u"citext"_s},
                                                    {u"DATETIME"_s, u"timestamp(0) without time zone"_s},
                                                    {u"DATE"_s, u"date"_s},
                                                    {u"INTEGER"_s, u"bigint"_s}};
    const Rows tables = rowsOnSqlite(u"SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"_s);
    ASSERT_EQ(tables.size(), 10);
    for (const QString& table : tables) {
        QStringList expected;
        for (const QString& column :
             plainRowsOnSqlite(u"SELECT name, type FROM pragma_table_info('"_s + table + u"')"_s))
            expected.append(column.section(u'|', 0, 0).toLower() + u' ' +
                            typeOnPostgres.value(column.section(u'|', 1)));
        expected.append(u"rowid bigint always"_s);
        const PostgresConnection::Result columns = postgres().run(
            u"SELECT attname || ' ' || format_type(atttypid, atttypmod) || "
            "CASE attidentity WHEN 'a' THEN ' always' ELSE '' END FROM pg_attribute "
            "WHERE attrelid = '"_s +
            table.toLower() + u"'::regclass AND attnum > 0 AND NOT attisdropped ORDER BY attnum"_s);
        ASSERT_TRUE(columns.ok()) << columns.error.toStdString();
        QStringList shown;
        for (const auto& row : columns.rows)
            shown.append(*row.front());
        EXPECT_EQ(shown, expected) << table.toStdString();
    }
    QStringList expectedIndexes;
    for (const QString& index : plainRowsOnSqlite(
             u"SELECT m.name, group_concat(i.name) FROM sqlite_master AS m, pragma_index_info(m.name) AS i "
             "WHERE m.type = 'index' GROUP BY m.name ORDER BY m.name"_s))
        expectedIndexes.append(index.toLower().replace(u'|', u' '));
    const PostgresConnection::Result indexes = postgres().run(
        u"SELECT c.relname || ' ' || string_agg(a.attname, ',' ORDER BY a.attnum) FROM pg_index x "
        "JOIN pg_class c ON c.oid = x.indexrelid JOIN pg_attribute a ON a.attrelid = x.indexrelid "
        "WHERE NOT x.indisprimary AND c.relnamespace = 'public'::regnamespace "
        "GROUP BY c.relname ORDER BY c.relname"_s);
    ASSERT_TRUE(indexes.ok()) << indexes.error.toStdString();
    QStringList shownIndexes;
    for (const auto& row : indexes.rows)
        shownIndexes.append(*row.front());
    EXPECT_EQ(shownIndexes, expectedIndexes);
}

} // namespace
} // namespace corvane::test
