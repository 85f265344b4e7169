#include "JetTestDatabase.h"

#include <QDate>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

class JetFunctions : public ::testing::Test
{
protected:
    // The value of one Jet expression.
    std::string eval(const QString& expression) { return db.value(u"SELECT "_s + expression).toStdString(); }

    JetTestDatabase db;
};

TEST_F(JetFunctions, TextPieces)
{
    EXPECT_EQ(eval(u"Left('abcdef', 2) & Right('abcdef', 2) & Mid('abcdef', 3, 2) & Mid('abcdef', 5)"_s),
              "abefcdef");
    EXPECT_EQ(eval(u"Left('ab', 5) & ';' & Mid('ab', 7) & ';' & Right('ab', 0)"_s), "ab;;");
    EXPECT_EQ(eval(u"Left('2026-12-06 10:05:00', 10)"_s), "2026-12-06");
    EXPECT_EQ(eval(u"Left(12345, 2)"_s), "12");
    EXPECT_EQ(eval(u"Len('héllo') & ',' & Len(1.5)"_s), "5,3");
    EXPECT_EQ(eval(u"UCase('straße é') & LCase('ÉA')"_s), "STRASSE Ééa");
    EXPECT_EQ(eval(u"'[' & Trim('  a b  ') & '][' & LTrim('  a ') & '][' & RTrim(' a  ') & ']'"_s),
              "[a b][a ][ a]");
    EXPECT_EQ(eval(u"Space(3) & String(3, 'xy') & String(2, 65)"_s), "   xxxAA");
    EXPECT_EQ(eval(u"Asc('A') & ',' & Chr(97)"_s), "65,a");
    EXPECT_EQ(eval(u"Str(5) & ';' & Str(-5) & ';' & Str(1.5)"_s), " 5;-5; 1.5");
    EXPECT_EQ(eval(u"Left('abc', -1)"_s), "error: Invalid procedure call or argument.");
    EXPECT_EQ(eval(u"Mid('abc', 0)"_s), "error: Invalid procedure call or argument.");
}

TEST_F(JetFunctions, InStrFormsAreOneBased)
{
    EXPECT_EQ(eval(u"InStr('abcabc', 'c')"_s), "3");
    EXPECT_EQ(eval(u"InStr(4, 'abcabc', 'c')"_s), "6");
    EXPECT_EQ(eval(u"InStr('abc', 'x')"_s), "0");
    EXPECT_EQ(eval(u"InStr('abc', '')"_s), "1");
    EXPECT_EQ(eval(u"InStr(9, 'abc', 'a')"_s), "0");
    EXPECT_EQ(eval(u"InStr('ABC', 'b')"_s), "2");
    EXPECT_EQ(eval(u"InStr(1, 'ABC', 'b', 0)"_s), "0");
    EXPECT_EQ(eval(u"InStr(0, 'abc', 'a')"_s), "error: Invalid procedure call or argument.");
}

TEST_F(JetFunctions, NullGoesThrough)
{
    EXPECT_EQ(eval(u"Left(Null, 2)"_s), "NULL");
    EXPECT_EQ(eval(u"Year(Null)"_s), "NULL");
    EXPECT_EQ(eval(u"Null + 1"_s), "NULL");
    EXPECT_EQ(eval(u"Format(Null, '0')"_s), "NULL");
    EXPECT_EQ(eval(u"Null & 'x' & Null"_s), "x");
    EXPECT_EQ(eval(u"Null & Null"_s), "NULL");
    EXPECT_EQ(eval(u"Nz(Null) & ';' & Nz(Null, 7) & ';' & Nz(3, 7)"_s), ";7;3");
    EXPECT_EQ(eval(u"IsNull(Null) & IsNull(0)"_s), "10");
    EXPECT_EQ(eval(u"IIf(Null, 'yes', 'no') & IIf(1 < 2, 'yes', 'no')"_s), "noyes");
}

TEST_F(JetFunctions, ConversionsRoundHalvesToEven)
{
    EXPECT_EQ(eval(u"CInt(2.5) & CInt(3.5) & CInt(-2.5) & CInt('7')"_s), "24-27");
    EXPECT_EQ(eval(u"CInt(32768)"_s), "error: Overflow.");
    EXPECT_EQ(eval(u"CLng(2147483647.4)"_s), "2147483647");
    EXPECT_EQ(eval(u"CLng(2147483648)"_s), "error: Overflow.");
    EXPECT_EQ(eval(u"CDbl('1.25') * 2"_s), "2.5");
    EXPECT_EQ(eval(u"CDbl('abc')"_s), "error: Data type mismatch in criteria expression.");
    EXPECT_EQ(eval(u"CStr(1.5) & CStr(0.1 + 0.2)"_s), "1.50.3");
    EXPECT_EQ(eval(u"Round(2.5) & ',' & Round(3.5) & ',' & Round(2.675, 2) & ',' & Round(-1.25, 1)"_s),
              "2,4,2.68,-1.2");
    EXPECT_EQ(
        eval(
            u"Int(-2.5) & ',' & Fix(-2.5) & ',' & Int(2.5) & ',' & Sgn(-3) & ',' & Sqr(16) & ',' & Abs(-4)"_s),
        "-3,-2,2,-1,4,4");
    EXPECT_EQ(eval(u"Sqr(-1)"_s), "error: Invalid procedure call or argument.");
    EXPECT_EQ(eval(u"Val(' 1 2 3abc') & ',' & Val('-1.5e2x') & ',' & Val('abc') & ',' & Val('.5')"_s),
              "123,-150,0,0.5");
}

// Jet has no infinity or NaN: texts Qt reads so are no numbers, results beyond the doubles'
// range overflow.
TEST_F(JetFunctions, NoInfinityOrNaN)
{
    EXPECT_EQ(eval(u"CDbl('inf')"_s), "error: Data type mismatch in criteria expression.");
    EXPECT_EQ(eval(u"CDbl('nan')"_s), "error: Data type mismatch in criteria expression.");
    EXPECT_EQ(eval(u"Val('1e400')"_s), "error: Overflow.");
    EXPECT_EQ(eval(u"1e308 + 1e308"_s), "error: Overflow.");
    EXPECT_EQ(eval(u"1e308 / 0.1"_s), "error: Overflow.");
    EXPECT_EQ(eval(u"CStr(CDbl('1e308'))"_s), "1E+308");
}

TEST_F(JetFunctions, ArithmeticOfJet)
{
    EXPECT_EQ(eval(u"7 / 2"_s), "3.5");
    EXPECT_EQ(eval(u"7.6 \\ 2 & ',' & -7 \\ 2"_s), "4,-3");
    EXPECT_EQ(eval(u"-7 Mod 3 & ',' & 7.6 Mod 3"_s), "-1,2");
    EXPECT_EQ(eval(u"'ab' + 'cd'"_s), "abcd");
    EXPECT_EQ(eval(u"'5' + 1"_s), "6");
    EXPECT_EQ(eval(u"'x' + 1"_s), "error: Data type mismatch in criteria expression.");
    EXPECT_EQ(eval(u"9223372036854775807 + 1"_s), "9.22337203685478e+18");
    EXPECT_EQ(eval(u"#12/31/2026# + 1"_s), "2027-01-01");
    EXPECT_EQ(eval(u"#12/6/2026# - 0.5"_s), "2026-12-05 12:00:00");
    EXPECT_EQ(eval(u"#12/7/2026 6:00# - #12/6/2026#"_s), "1.25");
    EXPECT_EQ(eval(u"2 ^ 10"_s), "1024");
}

TEST_F(JetFunctions, DateParts)
{
    EXPECT_EQ(eval(u"Year(#12/6/2026 10:05:09 PM#) & '/' & Month(#12/6/2026#) & '/' & Day(#12/6/2026#)"_s),
              "2026/12/6");
    EXPECT_EQ(eval(u"Hour('2026-12-06 22:05:09') & ':' & Minute('2026-12-06 22:05:09') & ':' & "
                   u"Second('2026-12-06 22:05:09')"_s),
              "22:5:9");
    EXPECT_EQ(eval(u"Hour('2026-12-06')"_s), "0");
    // 12/6/2026 is a Sunday.
    EXPECT_EQ(eval(u"Weekday(#12/6/2026#) & Weekday(#12/7/2026#) & Weekday(#12/7/2026#, 2)"_s), "121");
    EXPECT_EQ(eval(u"Year(46362)"_s), "2026"); // a serial number is a date
    // Arguments are read in their order, whatever order the compiler picks for C++ calls.
    EXPECT_EQ(eval(u"Weekday('x', 9)"_s), "error: Data type mismatch in criteria expression.");
}

TEST_F(JetFunctions, DateAddByInterval)
{
    EXPECT_EQ(eval(u"DateAdd('d', 1, #12/31/2026#)"_s), "2027-01-01");
    EXPECT_EQ(eval(u"DateAdd('y', -1, '2026-03-01')"_s), "2026-02-28");
    EXPECT_EQ(eval(u"DateAdd('w', 2, #12/6/2026#) & ' ' & DateAdd('ww', 2, #12/6/2026#)"_s),
              "2026-12-08 2026-12-20");
    EXPECT_EQ(eval(u"DateAdd('m', 1, #1/31/2028#)"_s), "2028-02-29");
    EXPECT_EQ(eval(u"DateAdd('q', 1, #11/30/2026#)"_s), "2027-02-28");
    EXPECT_EQ(eval(u"DateAdd('yyyy', 1, #2/29/2028 10:00#)"_s), "2029-02-28 10:00:00");
    EXPECT_EQ(eval(u"DateAdd('h', 3, '2026-12-06 22:30:00')"_s), "2026-12-07 01:30:00");
    EXPECT_EQ(eval(u"DateAdd('n', -30, '2026-12-06 00:15:00')"_s), "2026-12-05 23:45:00");
    EXPECT_EQ(eval(u"DateAdd('s', 1, '2026-12-06 23:59:59')"_s), "2026-12-07");
    EXPECT_EQ(eval(u"DateAdd('s', 1700000000, #1/1/1970#)"_s), "2023-11-14 22:13:20");
    EXPECT_EQ(eval(u"DateAdd('x', 1, #12/6/2026#)"_s), "error: Invalid procedure call or argument.");
    EXPECT_EQ(eval(u"DateAdd('d', 1e11, #12/6/2026#)"_s), "error: Invalid procedure call or argument.");
    EXPECT_EQ(eval(u"DateAdd('m', 1e9, #12/6/2026#)"_s), "error: Invalid procedure call or argument.");
    EXPECT_EQ(eval(u"DateAdd('yyyy', 9000, #12/6/2026#)"_s), "error: Invalid procedure call or argument.");
}

TEST_F(JetFunctions, DateDiffCountsBoundaries)
{
    EXPECT_EQ(eval(u"DateDiff('d', '2026-12-06 23:00:00', '2026-12-07 01:00:00')"_s), "1");
    EXPECT_EQ(eval(u"DateDiff('d', #12/7/2026#, #12/6/2026#)"_s), "-1");
    EXPECT_EQ(eval(u"DateDiff('yyyy', #12/31/2026#, #1/1/2027#)"_s), "1");
    EXPECT_EQ(eval(u"DateDiff('m', #1/31/2026#, #2/1/2026#) & DateDiff('q', #3/31/2026#, #4/1/2026#)"_s),
              "11");
    EXPECT_EQ(eval(u"DateDiff('h', '2026-12-06 10:59:59', '2026-12-06 11:00:00')"_s), "1");
    EXPECT_EQ(eval(u"DateDiff('n', '2026-12-06 10:00:59', '2026-12-06 10:01:00')"_s), "1");
    EXPECT_EQ(eval(u"DateDiff('s', '2026-12-06', '2026-12-06 00:01:00')"_s), "60");
    // From Saturday to Sunday crosses one week start; "w" counts whole weeks.
    EXPECT_EQ(eval(u"DateDiff('ww', #12/5/2026#, #12/6/2026#) & DateDiff('w', #12/5/2026#, #12/18/2026#)"_s),
              "11");
    EXPECT_EQ(eval(u"DateDiff('ww', #12/5/2026#, #12/6/2026#, 2)"_s), "0");
}

TEST_F(JetFunctions, DatePartAndSerials)
{
    EXPECT_EQ(eval(u"DatePart('q', #12/6/2026#) & ',' & DatePart('y', #2/1/2026#) & ',' & DatePart('w', "
                   u"#12/6/2026#) & "
                   u"',' & DatePart('ww', #1/4/2026#) & ',' & DatePart('n', '2026-12-06 10:05:00')"_s),
              "4,32,1,2,5");
    EXPECT_EQ(eval(u"DateSerial(2026, 13, 1) & ' ' & DateSerial(2026, 3, 0) & ' ' & DateSerial(26, 1, 1)"_s),
              "2027-01-01 2026-02-28 2026-01-01");
    EXPECT_EQ(eval(u"DateValue('2026-12-06 10:05:00') & ' ' & TimeValue('2026-12-06 10:05:00')"_s),
              "2026-12-06 10:05:00");
    EXPECT_EQ(eval(u"CDate('12/6/2026 10:05 PM') & ' ' & CDate(46362.5)"_s),
              "2026-12-06 22:05:00 2026-12-06 12:00:00");
    EXPECT_EQ(eval(u"CDate('12/45/2026')"_s), "error: Data type mismatch in criteria expression.");
}

TEST_F(JetFunctions, CurrentDateAndTime)
{
    const QString today = QDate::currentDate().toString(u"yyyy-MM-dd"_s);
    EXPECT_EQ(eval(u"Date()"_s), today.toStdString());
    EXPECT_TRUE(QRegularExpression(u"^\\d{4}-\\d\\d-\\d\\d( \\d\\d:\\d\\d:\\d\\d)?$"_s)
                    .match(QString::fromStdString(eval(u"Now()"_s)))
                    .hasMatch());
    EXPECT_TRUE(QRegularExpression(u"^\\d\\d:\\d\\d:\\d\\d$"_s)
                    .match(QString::fromStdString(eval(u"Time()"_s)))
                    .hasMatch());
    EXPECT_EQ(eval(u"Now() > Date() - 1"_s), "1");
    // SQLite's own date functions stay as they are for the database layer.
    EXPECT_EQ(db.rows(u"SELECT 1"_s).size(), 1);
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db.handle(), "SELECT date('2026-12-06', '+1 day')", -1, &statement, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), "2026-12-07");
    sqlite3_finalize(statement);
}

TEST_F(JetFunctions, ComputedDatesCompareWithBothStoredForms)
{
    db.execute("CREATE TABLE t (d TEXT); INSERT INTO t VALUES ('2026-12-06'), ('2026-12-06 00:00:00'), "
               "('2026-12-06 12:00:00'), ('2026-12-07');");
    EXPECT_EQ(db.rows(u"SELECT d FROM t WHERE d = DateSerial(2026, 12, 6)"_s).size(), 2);
    EXPECT_EQ(db.rows(u"SELECT d FROM t WHERE d <= DateAdd('d', -1, #12/7/2026#)"_s).size(), 2);
    EXPECT_EQ(db.rows(u"SELECT d FROM t WHERE d > CDate('12/6/2026')"_s).size(), 2);
    EXPECT_EQ(
        db.rows(u"SELECT d FROM t WHERE d BETWEEN DateValue('2026-12-06 08:00:00') AND #12/6/2026#"_s).size(),
        2);
    EXPECT_EQ(db.rows(u"SELECT d FROM t WHERE d IN (DateSerial(2026, 12, 7), #12/6/2026 12:00#)"_s).size(),
              2);
}

TEST_F(JetFunctions, FormatDates)
{
    const QString value = u"#12/6/2026 10:05:09 PM#"_s;
    const auto format = [&](const QString& pattern) {
        return eval(u"Format("_s + value + u", '"_s + pattern + u"')"_s);
    };
    EXPECT_EQ(format(u"mm/dd/yyyy"_s), "12/06/2026");
    EXPECT_EQ(format(u"yyyy-mm-dd"_s), "2026-12-06");
    EXPECT_EQ(format(u"dd/mm/yyyy"_s), "06/12/2026");
    EXPECT_EQ(format(u"Short Date"_s), "12/6/2026");
    EXPECT_EQ(format(u"Long Date"_s), "Sunday, December 6, 2026");
    EXPECT_EQ(format(u"Medium Date"_s), "06-Dec-26");
    EXPECT_EQ(format(u"General Date"_s), "12/6/2026 10:05:09 PM");
    EXPECT_EQ(format(u"hh:nn:ss"_s), "22:05:09");
    EXPECT_EQ(format(u"hh:mm"_s), "22:05");
    EXPECT_EQ(format(u"hh:nn am/pm"_s), "10:05 pm");
    EXPECT_EQ(format(u"h AM/PM"_s), "10 PM");
    EXPECT_EQ(format(u"mmm"_s), "Dec");
    EXPECT_EQ(format(u"mmmm"_s), "December");
    EXPECT_EQ(format(u"ddd d"_s), "Sun 6");
    EXPECT_EQ(format(u"yyyy"_s), "2026");
    EXPECT_EQ(format(u"\"Q\"q yy"_s), "Q4 26");
    EXPECT_EQ(eval(u"Format('2026-12-06', 'General Date')"_s), "12/6/2026");
    EXPECT_EQ(eval(u"Format('00:05:00', 'Long Time')"_s), "12:05:00 AM");
    EXPECT_EQ(eval(u"Format(Created, 'yyyy') FROM (SELECT '2026-12-06 10:00:00' AS Created)"_s), "2026");
}

// A format of any length costs its length: a run of one letter is read token by token.
TEST_F(JetFunctions, FormatDatesWithLongRunsOfOneLetter)
{
    const QString value = u"#12/6/2026 10:05:09 PM#"_s;
    EXPECT_EQ(eval(u"Format("_s + value + u", String(100000, 'y'))"_s), QString(u"2026"_s).repeated(25000).toStdString());
    EXPECT_EQ(eval(u"Len(Format("_s + value + u", String(100000, 'y') & 'd'))"_s), "100001");
    EXPECT_EQ(eval(u"Format("_s + value + u", String(7, 'd') & String(5, '-') & String(3, 'n'))"_s),
              "Sunday, December 6, 20266-----055");
    const std::string separators = eval(u"Format("_s + value + u", String(100000, '-'))"_s);
    EXPECT_EQ(separators, std::string(100000, '-'));
}

TEST_F(JetFunctions, FormatNumbers)
{
    const auto format = [&](const QString& number, const QString& pattern) {
        return eval(u"Format("_s + number + u", '"_s + pattern + u"')"_s);
    };
    EXPECT_EQ(format(u"2.5"_s, u"0"_s), "3");
    EXPECT_EQ(format(u"2.675"_s, u"0.00"_s), "2.68");
    EXPECT_EQ(format(u"0.5"_s, u"0.00"_s), "0.50");
    EXPECT_EQ(format(u"1234567"_s, u"#,##0"_s), "1,234,567");
    EXPECT_EQ(format(u"0"_s, u"#,##0"_s), "0");
    EXPECT_EQ(format(u"1234567.25"_s, u"###,###,###,##0"_s), "1,234,567");
    EXPECT_EQ(format(u"1234567.25"_s, u"###,###,###,##0.0"_s), "1,234,567.3");
    EXPECT_EQ(format(u"-1234.5"_s, u"#,##0.00"_s), "-1,234.50");
    EXPECT_EQ(format(u"0.1234"_s, u"Percent"_s), "12.34%");
    EXPECT_EQ(format(u"1234.5"_s, u"Fixed"_s), "1234.50");
    EXPECT_EQ(format(u"1234.5"_s, u"Standard"_s), "1,234.50");
    EXPECT_EQ(format(u"1234.5"_s, u"Currency"_s), "$1,234.50");
    EXPECT_EQ(format(u"-1234.5"_s, u"Currency"_s), "($1,234.50)");
    EXPECT_EQ(format(u"1234.5"_s, u"Scientific"_s), "1.23E+03");
    EXPECT_EQ(format(u"-0.001"_s, u"0.00"_s), "0.00");
    EXPECT_EQ(format(u"5"_s, u"0;(0);\"zero\""_s) + format(u"-5"_s, u"0;(0);\"zero\""_s) +
                  format(u"0"_s, u"0;(0);\"zero\""_s),
              "5(5)zero");
    EXPECT_EQ(format(u"5551234"_s, u"###-####"_s), "555-1234");
    EXPECT_EQ(format(u"0.5"_s, u"#.##"_s), ".5");
    EXPECT_EQ(format(u"12.5"_s, u".00"_s), "12.50");
    EXPECT_EQ(format(u"1"_s, u"Yes/No"_s) + format(u"0"_s, u"True/False"_s), "YesFalse");
    EXPECT_EQ(format(u"'1234.5'"_s, u"#,##0.0"_s), "1,234.5");
    EXPECT_EQ(format(u"'abc'"_s, u">"_s), "ABC");
    EXPECT_EQ(eval(u"Format(1.5)"_s), "1.5");
}

} // namespace
} // namespace corvane
