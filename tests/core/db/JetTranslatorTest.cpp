#include "core/db/JetTranslator.h"
#include "core/db/DbError.h"
#include "JetTestDatabase.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

std::string sqlOf(const QString& jet)
{
    const JetTranslation translation = translateJet(jet);
    return translation.ok() ? translation.sql.toStdString()
                            : "error: " + translation.errorDescription.toStdString();
}

std::string list(const QStringList& rows)
{
    return rows.join(u","_s).toStdString();
}

// ---- text of translations ----

TEST(JetTranslatorText, DeleteStarLosesItsStar)
{
    EXPECT_EQ(sqlOf(u"DELETE * FROM Temp"_s), R"(DELETE FROM "Temp")");
    EXPECT_EQ(sqlOf(u"delete Detail.* from Detail"_s), "DELETE FROM Detail");
    EXPECT_EQ(sqlOf(u"DELETE FROM NewDirs;"_s), "DELETE FROM NewDirs");
}

TEST(JetTranslatorText, DateLiteralComparisonsStayColumnAgainstConstant)
{
    EXPECT_EQ(sqlOf(u"DELETE * FROM Detail WHERE SysDate = #12/6/2026#"_s),
              "DELETE FROM Detail WHERE (SysDate IN ('2026-12-06', '2026-12-06 00:00:00'))");
    EXPECT_EQ(sqlOf(u"DELETE * FROM NewFiles WHERE Created >= #12/6/2026#"_s),
              "DELETE FROM NewFiles WHERE (Created >= '2026-12-06')");
    EXPECT_EQ(sqlOf(u"SELECT * FROM t WHERE a < #12/7/2026# OR a > #12/6/2026# OR a <= #2026-12-06#"_s),
              "SELECT * FROM t WHERE (((a < '2026-12-07') OR (a > '2026-12-06 00:00:00')) OR "
              "(a <= '2026-12-06 00:00:00'))");
    EXPECT_EQ(sqlOf(u"SELECT * FROM t WHERE #12/6/2026# <= a"_s),
              "SELECT * FROM t WHERE (a >= '2026-12-06')");
    EXPECT_EQ(sqlOf(u"SELECT * FROM t WHERE a = #12/6/2026 10:05:00#"_s),
              "SELECT * FROM t WHERE (a = '2026-12-06 10:05:00')");
}

TEST(JetTranslatorText, DateLiteralsElsewhereBecomeStorageText)
{
    EXPECT_EQ(
        sqlOf(
            u"SELECT #12/6/2026# AS a, #12/6/2026 10:05 PM# AS b, #2026-12-06 00:00:00# AS c, #10:05# AS d"_s),
        "SELECT '2026-12-06' AS a, '2026-12-06 22:05:00' AS b, '2026-12-06' AS c, '10:05:00' AS d");
    EXPECT_EQ(sqlOf(u"SELECT * FROM t WHERE Year(#1/2/29#) < Year(#1/2/30#)"_s),
              "SELECT * FROM t WHERE (jetyear('2029-01-02') < jetyear('1930-01-02'))");
}

TEST(JetTranslatorText, SelectPredicates)
{
    EXPECT_EQ(sqlOf(u"SELECT DISTINCT owner FROM NewFiles"_s), "SELECT DISTINCT owner FROM NewFiles");
    // With one table DISTINCTROW leaves every row, duplicates included.
    EXPECT_EQ(sqlOf(u"SELECT DISTINCTROW owner FROM NewFiles"_s), "SELECT owner FROM NewFiles");
    EXPECT_EQ(sqlOf(u"SELECT TOP 5 * FROM Detail"_s), "SELECT * FROM Detail LIMIT 5");
}

TEST(JetTranslatorText, LiteralsAndNames)
{
    EXPECT_EQ(
        sqlOf(u"SELECT \"say \"\"hi\"\"\", 'it''s', True, False, [my col], [Detail].[file] FROM [Detail]"_s),
        R"(SELECT 'say "hi"' AS Expr1000, 'it''s' AS Expr1001, 1 AS Expr1002, 0 AS Expr1003, "my col", )"
        R"(Detail.file FROM Detail)");
    EXPECT_EQ(sqlOf(u"SELECT a AS [Row Count], b AS n FROM t AS x, u y"_s),
              R"(SELECT a AS "Row Count", b AS n FROM t AS x, u AS y)");
}

TEST(JetTranslatorText, CommentsAndBlanksVanish)
{
    EXPECT_EQ(sqlOf(u"SELECT a -- the a\r\n FROM /* table */ t"_s), "SELECT a FROM t");
}

TEST(JetTranslatorText, OperatorsBecomeJetSemantics)
{
    EXPECT_EQ(sqlOf(u"SELECT * FROM t WHERE a & b = a + b - a / b * a \\ b Mod a ^ b"_s),
              "SELECT * FROM t WHERE (jetconcat(a, b) = jetminus(jetplus(a, b), jetmod(jetintdiv((jetdiv(a, "
              "b) * a), "
              "b), jetpower(a, b))))");
    EXPECT_EQ(sqlOf(u"SELECT a FROM t WHERE a LIKE 'x*' AND b NOT LIKE 'y?'"_s),
              "SELECT a FROM t WHERE (jetlike('x*', a) AND (NOT jetlike('y?', b)))");
    EXPECT_EQ(sqlOf(u"SELECT - -1 AS n"_s), "SELECT (- (- 1)) AS n");
}

TEST(JetTranslatorText, SortStatementOfTheQueryWindow)
{
    EXPECT_EQ(sqlOf(u"SELECT * FROM Detail ORDER BY 3 ASC"_s), "SELECT * FROM Detail ORDER BY 3 ASC");
    EXPECT_EQ(sqlOf(u"SELECT * FROM Detail ORDER BY 3 DESC"_s), "SELECT * FROM Detail ORDER BY 3 DESC");
}

std::string rowKeyedOf(const QString& jet)
{
    return translateJet(jet).rowKeyedSql.toStdString();
}

TEST(JetTranslatorText, SortedStatementsOverOneTableGetARowKeyedForm)
{
    EXPECT_EQ(rowKeyedOf(u"SELECT * FROM Detail ORDER BY 3 ASC"_s),
              "SELECT *, rowid AS cv_rowid FROM Detail ORDER BY 3 ASC");
    EXPECT_EQ(rowKeyedOf(u"SELECT owner AS o, file FROM Detail AS d WHERE Bytes > 5 ORDER BY o DESC, file;"_s),
              "SELECT owner AS o, file, rowid AS cv_rowid FROM Detail AS d WHERE (Bytes > 5) ORDER BY +o DESC, file ASC");
    // An aggregate inside a subquery still leaves one row per row of the table.
    EXPECT_NE(rowKeyedOf(u"SELECT file FROM Detail WHERE Bytes > (SELECT Avg(Bytes) FROM Detail) ORDER BY 1"_s), "");
    EXPECT_NE(rowKeyedOf(u"SELECT DISTINCTROW file FROM Detail ORDER BY 1"_s), "");
}

TEST(JetTranslatorText, RowsThatAreNoRowOfOneTableGetNoRowKeyedForm)
{
    for (const QString& jet : {
             u"SELECT * FROM Detail"_s,
             u"SELECT DISTINCT owner FROM Detail ORDER BY 1"_s,
             u"SELECT TOP 5 * FROM Detail ORDER BY 3"_s,
             u"SELECT owner, Count(*) FROM Detail GROUP BY owner ORDER BY 2"_s,
             u"SELECT Count(*) FROM Detail ORDER BY 1"_s,
             u"SELECT owner FROM Detail ORDER BY Max(Bytes)"_s,
             u"SELECT Detail.owner FROM Detail INNER JOIN NewFiles ON Detail.file = NewFiles.file ORDER BY 1"_s,
             u"SELECT Detail.owner FROM Detail, NewFiles ORDER BY 1"_s,
             u"SELECT owner FROM (SELECT * FROM Detail) ORDER BY 1"_s,
             u"SELECT owner FROM Detail UNION SELECT owner FROM NewFiles ORDER BY 1"_s,
             u"SELECT 1 AS n ORDER BY 1"_s,
             u"DELETE * FROM Detail"_s,
         })
        EXPECT_EQ(rowKeyedOf(jet), "") << jet.toStdString();
}

TEST(JetTranslatorText, JetFunctionsAreRenamedAndSqliteOnesAreNotReachable)
{
    EXPECT_EQ(
        sqlOf(
            u"SELECT * FROM t WHERE Date() & Time() & Now() & Left(a, 2) & Trim(a) & IIf(a > 1, 'x', 'y') & "
            u"Nz(a) & Nz(a, 0) & IsNull(a)"_s),
        "SELECT * FROM t WHERE "
        "jetconcat(jetconcat(jetconcat(jetconcat(jetconcat(jetconcat(jetconcat(jetconcat("
        "jetdate(), jettime()), jetnow()), jetleft(a, 2)), trim(a)), (CASE WHEN (a > 1) THEN 'x' ELSE 'y' "
        "END)), "
        "COALESCE(a, '')), COALESCE(a, 0)), (a IS NULL))");
    EXPECT_EQ(sqlOf(u"SELECT substr(a, 1) FROM t"_s), "error: Undefined function 'substr' in expression.");
    EXPECT_EQ(sqlOf(u"SELECT Date('now')"_s),
              "error: Wrong number of arguments used with function in query expression 'Date('now')'.");
}

TEST(JetTranslatorText, WritesOtherStatements)
{
    EXPECT_EQ(sqlOf(u"INSERT INTO NewDirs (Directory, Created) VALUES ('SYS:X', #12/6/2026#)"_s),
              "INSERT INTO NewDirs (Directory, Created) VALUES ('SYS:X', '2026-12-06')");
    EXPECT_EQ(sqlOf(u"UPDATE Detail SET Detail.Bytes = Bytes * 2 WHERE file = 'a'"_s),
              "UPDATE Detail SET Bytes = (Bytes * 2) WHERE (file = 'a')");
    EXPECT_EQ(sqlOf(u"SELECT a FROM (t INNER JOIN u ON t.k = u.k) LEFT OUTER JOIN v ON v.k = t.k"_s),
              "SELECT a FROM (t INNER JOIN u ON (t.k = u.k)) LEFT JOIN v ON (v.k = t.k)");
}

// ---- statements refused, with Jet's number and words ----

TEST(JetTranslatorErrors, CarrySyntaxErrorNumberAndDescription)
{
    const JetTranslation translation = translateJet(u"SELECT * FROM Detail WHERE SysDate = #13/45/2026#"_s);
    EXPECT_FALSE(translation.ok());
    EXPECT_EQ(translation.errorNumber, DbErrorNumber::SyntaxError);
    EXPECT_EQ(translation.errorDescription, u"Syntax error in date in query expression '#13/45/2026#'."_s);
    EXPECT_TRUE(translation.sql.isEmpty());
}

TEST(JetTranslatorErrors, InvalidDates)
{
    for (const QString& date : {u"#2/30/2026#"_s, u"#12/6#"_s, u"#12/6/2026 25:00#"_s, u"#13/6/2026#"_s,
                                u"##"_s, u"#12/6/2026 10:60#"_s, u"#1/1/10000#"_s, u"#today#"_s})
        EXPECT_EQ(sqlOf(u"SELECT "_s + date),
                  "error: Syntax error in date in query expression '" + date.toStdString() + "'.")
            << date.toStdString();
    EXPECT_EQ(sqlOf(u"SELECT * FROM t WHERE d = #12/6/2026"_s),
              "error: Syntax error in date in query expression '#12/6/2026'.");
}

TEST(JetTranslatorErrors, StatementShapes)
{
    EXPECT_EQ(sqlOf(u""_s),
              "error: Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or "
              "'UPDATE'.");
    EXPECT_EQ(sqlOf(u"' my query"_s), "error: Syntax error in string in query expression '' my query'.");
    EXPECT_EQ(sqlOf(u"SELECT a b FROM t"_s),
              "error: Syntax error (missing operator) in query expression 'a b'.");
    EXPECT_EQ(sqlOf(u"SELECT * FROM t WHERE a = 1 b"_s),
              "error: Syntax error (missing operator) in query expression 'a = 1 b'.");
    EXPECT_EQ(sqlOf(u"SELECT * FROM t x y"_s), "error: Syntax error in FROM clause.");
    EXPECT_EQ(sqlOf(u"SELECT * FROM t; SELECT 1"_s), "error: Characters found after end of SQL statement.");
    EXPECT_EQ(sqlOf(u"SELECT * FROM [t"_s), "error: Invalid bracketing of name '[t'.");
    EXPECT_EQ(sqlOf(u"DROP TABLE Detail"_s),
              "error: Data-definition statements (CREATE, ALTER, DROP) are not supported.");
    EXPECT_EQ(sqlOf(u"SELECT * FROM t WHERE a != 1"_s),
              "error: Syntax error: invalid character '!' in the statement.");
    EXPECT_EQ(sqlOf(u"SELECT * FROM t ORDER a"_s), "error: Syntax error in ORDER BY clause.");
    EXPECT_EQ(sqlOf(u"SELECT Left(a) FROM t"_s),
              "error: Wrong number of arguments used with function in query expression 'Left(a)'.");
}

TEST(JetTranslator, AStarBeforeATopSortColumnStandsForItsTablesColumns)
{
    const TableColumns columnsOf = [](const QString& table) -> std::optional<QStringList> {
        if (table.compare(u"t"_s, Qt::CaseInsensitive) != 0)
            return std::nullopt;
        return QStringList{u"a"_s, u"b c"_s};
    };
    const JetTranslation sorted = translateJet(u"SELECT TOP 2 * FROM T AS x ORDER BY 2 DESC"_s, columnsOf);
    EXPECT_TRUE(sorted.sql.contains(u"RANK() OVER (ORDER BY \"b c\" DESC)"_s)) << sorted.sql.toStdString();
    EXPECT_TRUE(translateJet(u"SELECT TOP 2 a, * FROM t ORDER BY 3"_s, columnsOf).sql.contains(u"ORDER BY \"b c\""_s));
    // Past the last column, or where the columns are not one known table's: refused as before.
    for (const QString& statement :
         {u"SELECT TOP 2 * FROM t ORDER BY 3"_s, u"SELECT TOP 2 * FROM t ORDER BY 0"_s,
          u"SELECT TOP 2 * FROM u ORDER BY 1"_s, u"SELECT TOP 2 * FROM t, t AS y ORDER BY 1"_s,
          u"SELECT TOP 2 * FROM t INNER JOIN t AS y ON t.a = y.a ORDER BY 1"_s,
          u"SELECT TOP 2 * FROM (SELECT a FROM t) ORDER BY 1"_s})
        EXPECT_FALSE(translateJet(statement, columnsOf).ok()) << statement.toStdString();
}

TEST(JetTranslatorErrors, WhatCannotBeTranslatedWithCertainty)
{
    EXPECT_EQ(sqlOf(u"SELECT TOP 10 PERCENT * FROM t"_s), "error: TOP n PERCENT is not supported.");
    EXPECT_EQ(sqlOf(u"SELECT TOP 0 * FROM t"_s),
              "error: The TOP clause needs a whole number of rows greater than 0.");
    EXPECT_EQ(sqlOf(u"SELECT DISTINCTROW t.a FROM t INNER JOIN u ON t.k = u.k"_s),
              "error: DISTINCTROW over several tables is not supported.");
    EXPECT_EQ(sqlOf(u"SELECT a INTO b FROM t"_s),
              "error: SELECT ... INTO (a make-table query) is not supported.");
    EXPECT_EQ(sqlOf(u"SELECT a FROM t WHERE a XOR b"_s), "error: The operator XOR is not supported.");
    EXPECT_EQ(sqlOf(u"SELECT TOP 2 * FROM t ORDER BY 1"_s),
              "error: TOP with ORDER BY a column number is supported only for a listed column.");
    EXPECT_EQ(sqlOf(u"SELECT TOP 1 a FROM t UNION SELECT a FROM u"_s),
              "error: TOP is not supported in a union query.");
    EXPECT_EQ(sqlOf(u"SELECT Count(DISTINCT a) FROM t"_s),
              "error: DISTINCT inside an aggregate function is not supported.");
    EXPECT_EQ(sqlOf(u"DELETE * FROM t INNER JOIN u ON t.k = u.k"_s),
              "error: Deleting from several tables at once is not supported.");
}

// Found by fuzzing: thousands of nested parentheses overflowed the stack of the descent.
TEST(JetTranslatorErrors, NestingTooDeepIsTooComplexNotACrash)
{
    const QString open = u"("_s.repeated(8000);
    const QString close = u")"_s.repeated(8000);
    const QStringList statements = {
        u"SELECT "_s + open + u'1' + close,
        u"SELECT * FROM t WHERE "_s + u"NOT "_s.repeated(4000) + u'a',
        u"SELECT "_s + u"- "_s.repeated(4000) + u'1',
        u"SELECT "_s + u"+ "_s.repeated(4000) + u'1',
        u"SELECT 2"_s + u"^-2"_s.repeated(4000),
        u"SELECT "_s + u"Abs("_s.repeated(4000) + u'1' + close,
        u"SELECT * FROM "_s + open + u't' + close,
        u"SELECT * FROM t WHERE a IN ("_s.repeated(4000),
    };
    for (const QString& statement : statements)
        EXPECT_EQ(sqlOf(statement), "error: Query is too complex.") << statement.left(40).toStdString();
    // Nesting people write still translates.
    EXPECT_EQ(sqlOf(u"SELECT "_s + open.left(40) + u"NOT - 1"_s + close.left(40) + u" AS x FROM t"_s),
              "SELECT " + std::string(40, '(') + "(NOT (- 1))" + std::string(40, ')') + " AS x FROM t");
}

// ---- rows, against a database holding both stored date forms ----

class JetStatements : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Declared types as in the delivered cv.mdb: DATETIME and DATE hold text.
        db.execute(
            "CREATE TABLE NewFiles (Directory TEXT COLLATE NOCASE, Created DATETIME, owner TEXT COLLATE "
            "NOCASE, file TEXT COLLATE NOCASE, Bytes INTEGER);"
            "CREATE INDEX NewFilesCreated ON NewFiles (Created);"
            "INSERT INTO NewFiles VALUES"
            " ('SYS:A', '2026-12-05 23:59:59', 'jsmith', 'a.txt', 10),"
            " ('SYS:A', '2026-12-06', 'Admin', 'b.txt', 20),"
            " ('SYS:A', '2026-12-06 00:00:00', 'ADMIN2', 'c.doc', 30),"
            " ('SYS:B', '2026-12-06 00:00:01', 'bob', 'd.doc', NULL),"
            " ('SYS:B', '2026-12-06 23:59:59', 'sysadm', 'e1.txt', 50),"
            " ('SYS:B', '2026-12-07', 'dave', 'f.txt', 50),"
            " ('SYS:B', '2026-12-07 00:00:00', NULL, 'g.txt', 70);"
            "CREATE TABLE DirActivity (Directory TEXT COLLATE NOCASE, SysDate DATE, Deleted INTEGER, "
            "Created INTEGER);"
            "INSERT INTO DirActivity VALUES ('SYS:A', '2026-12-05', 1, 2), ('SYS:A', '2026-12-06', NULL, 3),"
            " ('SYS:B', '2026-12-06', 4, NULL), ('SYS:A', '2026-12-07', 5, 6);"
            "CREATE TABLE \"odd table\" (\"name with * inside\" TEXT, \"say \"\"hi\"\"\" TEXT);"
            "INSERT INTO \"odd table\" VALUES ('x', 'y');");
    }

    // The files of NewFiles matching a condition, in name order.
    std::string files(const QString& condition)
    {
        return list(db.rows(u"SELECT file FROM NewFiles WHERE "_s + condition + u" ORDER BY file"_s));
    }

    JetTestDatabase db;
};

TEST_F(JetStatements, DateEqualityMatchesBothMidnightForms)
{
    EXPECT_EQ(files(u"Created = #12/6/2026#"_s), "b.txt,c.doc");
    EXPECT_EQ(files(u"#12/6/2026# = Created"_s), "b.txt,c.doc");
    EXPECT_EQ(files(u"Created = #12/6/2026 00:00:00#"_s), "b.txt,c.doc");
    EXPECT_EQ(files(u"Created = #2026-12-06 00:00:01#"_s), "d.doc");
    EXPECT_EQ(files(u"Created <> #12/6/2026#"_s), "a.txt,d.doc,e1.txt,f.txt,g.txt");
    EXPECT_EQ(files(u"Created IN (#12/7/2026#, #12/5/2026 11:59:59 PM#)"_s), "a.txt,f.txt,g.txt");
    EXPECT_EQ(files(u"Created NOT IN (#12/7/2026#)"_s), "a.txt,b.txt,c.doc,d.doc,e1.txt");
}

TEST_F(JetStatements, DateRangesTreatADateAsItsMidnight)
{
    EXPECT_EQ(files(u"Created >= #12/6/2026#"_s), "b.txt,c.doc,d.doc,e1.txt,f.txt,g.txt");
    EXPECT_EQ(files(u"Created > #12/6/2026#"_s), "d.doc,e1.txt,f.txt,g.txt");
    EXPECT_EQ(files(u"Created <= #12/6/2026#"_s), "a.txt,b.txt,c.doc");
    EXPECT_EQ(files(u"Created < #12/7/2026#"_s), "a.txt,b.txt,c.doc,d.doc,e1.txt");
    EXPECT_EQ(files(u"#12/7/2026# > Created"_s), "a.txt,b.txt,c.doc,d.doc,e1.txt");
    EXPECT_EQ(files(u"Created BETWEEN #12/5/2026# AND #12/6/2026#"_s), "a.txt,b.txt,c.doc");
    EXPECT_EQ(files(u"Created NOT BETWEEN #12/5/2026# AND #12/6/2026#"_s), "d.doc,e1.txt,f.txt,g.txt");
    EXPECT_EQ(files(u"Created BETWEEN #12/6/2026 00:00:01# AND #12/6/2026 11:59:59 PM#"_s), "d.doc,e1.txt");
}

TEST_F(JetStatements, DayCountOfTheTallyIsHalfOpen)
{
    EXPECT_EQ(
        db.value(
            u"SELECT COUNT(*) AS cnt FROM NewFiles WHERE Created >= #12/6/2026# AND Created < #12/7/2026# "
            u"AND Directory = 'SYS:B'"_s),
        u"2"_s);
    EXPECT_EQ(
        db.value(
            u"SELECT COUNT(*) AS cnt FROM NewFiles WHERE Created >= #12/6/2026# AND Created < #12/7/2026# "
            u"AND Directory = 'sys:a'"_s),
        u"2"_s);
}

TEST_F(JetStatements, DateComparisonKeepsTheIndex)
{
    const QString sql = translateJet(u"SELECT file FROM NewFiles WHERE Created >= #12/6/2026# AND Created < "
                                     u"#12/7/2026#"_s)
                            .sql;
    const QByteArray plan = (u"EXPLAIN QUERY PLAN "_s + sql).toUtf8();
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db.handle(), plan.constData(), -1, &statement, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    const std::string detail = reinterpret_cast<const char*>(sqlite3_column_text(statement, 3));
    sqlite3_finalize(statement);
    EXPECT_NE(detail.find("USING INDEX NewFilesCreated"), std::string::npos) << detail;
}

TEST_F(JetStatements, PurgeTodayRemovesTheWholeDayOnward)
{
    ASSERT_TRUE(db.rows(u"DELETE * FROM NewFiles WHERE Created >= #12/6/2026#"_s).isEmpty());
    EXPECT_EQ(list(db.rows(u"SELECT file FROM NewFiles"_s)), "a.txt");
    ASSERT_TRUE(db.rows(u"DELETE * FROM DirActivity WHERE SysDate = #12/6/2026#"_s).isEmpty());
    EXPECT_EQ(list(db.rows(u"SELECT SysDate FROM DirActivity ORDER BY SysDate"_s)), "2026-12-05,2026-12-07");
}

TEST_F(JetStatements, ChartStatementsCountPerDay)
{
    EXPECT_EQ(
        list(db.rows(u"SELECT LEFT(Created,10) AS SysDate,COUNT(Created) As New FROM NewFiles WHERE "
                     u"LEFT(Created,10) >= #12/6/2026# AND LEFT(Created,10) <= #12/7/2026# AND Owner LIKE "
                     u"'*adm*' GROUP BY LEFT(Created,10) ORDER BY LEFT(Created,10)"_s)),
        "2026-12-06|3");
    EXPECT_EQ(
        list(db.rows(u"SELECT LEFT(Created,10) AS SysDate,COUNT(Created) As New FROM NewFiles WHERE "
                     u"LEFT(Created,10) >= #12/5/2026# AND LEFT(Created,10) <= #12/7/2026# AND Owner LIKE "
                     u"'**' GROUP BY LEFT(Created,10) ORDER BY LEFT(Created,10)"_s)),
        "2026-12-05|1,2026-12-06|4,2026-12-07|1");
    EXPECT_EQ(list(db.rows(
                  u"SELECT SysDate,SUM(Deleted) AS Deleted,SUM(Created) AS New FROM DirActivity WHERE "
                  u"SysDate >= #12/5/2026# AND SysDate <= #12/6/2026# GROUP BY SysDate ORDER BY SysDate"_s)),
              "2026-12-05|1|2,2026-12-06|4|3");
}

TEST_F(JetStatements, OrderByANameThatIsAlsoAnAliasSortsByTheColumnAsJetDoes)
{
    EXPECT_EQ(list(db.rows(u"SELECT SysDate,COUNT(SysDate) As SysDate FROM DirActivity GROUP BY SysDate "
                           u"ORDER BY SysDate"_s)),
              "2026-12-05|1,2026-12-06|2,2026-12-07|1");
    // A name that is only an alias still sorts by it.
    EXPECT_EQ(
        list(db.rows(u"SELECT Directory, COUNT(*) AS n FROM NewFiles GROUP BY Directory ORDER BY n DESC"_s)),
        "SYS:B|4,SYS:A|3");
    EXPECT_EQ(
        list(db.rows(u"SELECT SysDate FROM DirActivity UNION SELECT SysDate AS SysDate FROM DirActivity "
                     u"ORDER BY SysDate DESC"_s)),
        "2026-12-07,2026-12-06,2026-12-05");
}

TEST_F(JetStatements, LikeWildcards)
{
    EXPECT_EQ(files(u"file LIKE '*.doc'"_s), "c.doc,d.doc");
    EXPECT_EQ(files(u"file LIKE '?.txt'"_s), "a.txt,b.txt,f.txt,g.txt");
    EXPECT_EQ(files(u"file LIKE '*#.txt'"_s), "e1.txt");
    EXPECT_EQ(files(u"file LIKE '[a-c]*'"_s), "a.txt,b.txt,c.doc");
    EXPECT_EQ(files(u"file LIKE '[!a-c]*'"_s), "d.doc,e1.txt,f.txt,g.txt");
    EXPECT_EQ(files(u"file LIKE '[bdf].*'"_s), "b.txt,d.doc,f.txt");
    EXPECT_EQ(files(u"file NOT LIKE '*.txt'"_s), "c.doc,d.doc");
    EXPECT_EQ(files(u"file LIKE 'A.TXT'"_s), "a.txt");
    EXPECT_EQ(files(u"owner LIKE 'admin*'"_s), "b.txt,c.doc");
    EXPECT_EQ(files(u"owner LIKE '*'"_s), "a.txt,b.txt,c.doc,d.doc,e1.txt,f.txt");
    EXPECT_EQ(files(u"owner NOT LIKE '*'"_s), "");
    EXPECT_EQ(files(u"file LIKE '%'"_s), "");
    EXPECT_EQ(files(u"file LIKE '[*]'"_s), "");
    EXPECT_EQ(
        list(db.rows(u"SELECT 'a*b' LIKE 'a[*]b', 'a-b' LIKE 'a[-]b', 'a]' LIKE 'a]', 'ab' LIKE 'a[]b'"_s)),
        "1|1|1|1");
    EXPECT_EQ(db.value(u"SELECT 'x' LIKE '[ab'"_s), u"error: Invalid pattern string."_s);
}

TEST_F(JetStatements, QuotedTextIsNeverTranslated)
{
    EXPECT_EQ(list(db.rows(u"SELECT 'it''s', \"it's\", 'say \"hi\"', '#1/1/2020#', '[x] & * -- no comment', "
                           u"\"a\"\"b\""_s)),
              R"(it's|it's|say "hi"|#1/1/2020#|[x] & * -- no comment|a"b)");
    EXPECT_EQ(list(db.rows(u"SELECT [name with * inside], [say \"hi\"] FROM [odd table]"_s)), "x|y");
}

TEST_F(JetStatements, UnnamedExpressionsGetJetNames)
{
    EXPECT_EQ(
        db.columnNames(u"SELECT COUNT(*), file, NewFiles.owner, Left(file, 1), Bytes * 2 AS Twice, (Bytes) "
                       u"FROM NewFiles"_s),
        (QStringList{u"Expr1000"_s, u"file"_s, u"owner"_s, u"Expr1001"_s, u"Twice"_s, u"Expr1002"_s}));
}

TEST_F(JetStatements, MisspeltNameFailsInsteadOfBecomingText)
{
    EXPECT_EQ(db.value(u"SELECT [no such column] FROM NewFiles"_s),
              u"error: no such column: no such column"_s);
}

TEST_F(JetStatements, TopKeepsTiesWithTheLastRow)
{
    EXPECT_EQ(list(db.rows(u"SELECT TOP 2 file FROM NewFiles WHERE Bytes IS NOT NULL ORDER BY Bytes DESC"_s)),
              "g.txt,e1.txt,f.txt");
    EXPECT_EQ(list(db.rows(u"SELECT TOP 3 file, Bytes AS b FROM NewFiles WHERE Bytes > 0 ORDER BY b, 1"_s)),
              "a.txt|10,b.txt|20,c.doc|30");
    EXPECT_EQ(db.rows(u"SELECT TOP 3 file FROM NewFiles"_s).size(), 3);
    EXPECT_EQ(
        list(db.rows(u"SELECT TOP 1 Directory, COUNT(*) AS cnt FROM NewFiles GROUP BY Directory ORDER BY "
                     u"COUNT(*) DESC"_s)),
        "SYS:B|4");
}

TEST_F(JetStatements, DistinctRowKeepsDuplicatesOfOneTable)
{
    EXPECT_EQ(db.rows(u"SELECT DISTINCTROW Directory FROM NewFiles"_s).size(), 7);
    EXPECT_EQ(db.rows(u"SELECT DISTINCT Directory FROM NewFiles"_s).size(), 2);
}

TEST_F(JetStatements, OperatorsFollowJetPrecedence)
{
    EXPECT_EQ(db.value(u"SELECT 'n' & 1 + 2"_s), u"n3"_s);
    EXPECT_EQ(db.value(u"SELECT -2 ^ 2"_s), u"-4"_s);
    EXPECT_EQ(db.value(u"SELECT 2 ^ -1"_s), u"0.5"_s);
    EXPECT_EQ(db.value(u"SELECT 1 + 2 * 3 Mod 4"_s), u"3"_s);
    EXPECT_EQ(db.value(u"SELECT 10 \\ 3 * 2"_s), u"1"_s);
    EXPECT_EQ(db.value(u"SELECT NOT 1 = 2"_s), u"1"_s);
    EXPECT_EQ(db.value(u"SELECT True AND False OR True"_s), u"1"_s);
}

TEST_F(JetStatements, SubqueriesJoinsAndUnions)
{
    EXPECT_EQ(files(u"Directory IN (SELECT Directory FROM DirActivity WHERE Deleted = 4)"_s),
              "d.doc,e1.txt,f.txt,g.txt");
    EXPECT_EQ(files(u"EXISTS (SELECT * FROM DirActivity d WHERE d.SysDate = #12/5/2026# AND d.Directory = "
                    u"NewFiles.Directory)"_s),
              "a.txt,b.txt,c.doc");
    EXPECT_EQ(list(db.rows(u"SELECT n.file FROM NewFiles AS n INNER JOIN DirActivity AS d ON n.Directory = "
                           u"d.Directory AND n.Created = d.SysDate ORDER BY n.file"_s)),
              "b.txt");
    EXPECT_EQ(
        list(db.rows(u"SELECT Directory FROM NewFiles UNION SELECT Directory FROM DirActivity ORDER BY 1"_s)),
        "SYS:A,SYS:B");
}

TEST_F(JetStatements, RuntimeFailuresReachTheCaller)
{
    EXPECT_EQ(db.value(u"SELECT 1 / 0"_s), u"error: Division by zero."_s);
    EXPECT_EQ(db.value(u"SELECT 7 Mod 0"_s), u"error: Division by zero."_s);
    EXPECT_EQ(db.value(u"SELECT Year('abc')"_s), u"error: Data type mismatch in criteria expression."_s);
}

} // namespace
} // namespace corvane
