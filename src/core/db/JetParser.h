#pragma once

#include "core/db/JetDates.h"
#include "core/db/JetFunctionTable.h"
#include "core/db/JetLexer.h"
#include "core/db/JetTranslator.h"

#include <QString>

#include <optional>
#include <vector>

namespace corvane {

// Reads a statement in the Jet dialect and writes it out for one engine, SQLite or
// PostgreSQL. Expressions are parsed by Jet's operator precedence and written with
// explicit parentheses, so the engine's different precedence never matters. Throws
// JetSyntaxError for anything it cannot translate with certainty.
//
// On PostgreSQL every name is quoted in lower case (the tables' names are lower case, and Jet's
// names ignore case), whole numbers are bigint, truth values are booleans where a condition
// is wanted and 1 or 0 where a value is, NULLs sort as cv.mdb sorts them (first ascending),
// and "*" stands for a table's columns without its hidden rowid.
class JetParser
{
public:
    JetParser(const QString& statement, TableColumns columnsOf, JetEngine engine = JetEngine::Sqlite);

    QString translate();
    // After translate(), for a sorted SELECT whose every row is one row of one table: the
    // statement with that row's rowid as a last column, cv_rowid. Empty for any other statement.
    const QString& rowKeyedSql() const { return m_rowKeyedSql; }

private:
    struct Operand
    {
        QString sql;
        JetValueKind kind = JetValueKind::Unknown;
        std::optional<JetDateTime> dateLiteral;
        QString plainName; // lower case, when the operand is one unqualified name
        bool isColumn = false;
        QString numberText{}; // a number literal as written
        bool truth = false;   // on PostgreSQL: the SQL is a boolean condition

        bool isDate() const { return kind == JetValueKind::Date; }
        bool isStringLiteral() const { return sql.startsWith(u'\''); }
    };

    struct SelectItem
    {
        QString sql;      // the expression alone
        QString aliasSql; // the name after AS, as written out
        QString alias;    // the same name in lower case, for ORDER BY
        bool isStar = false;
        QString starQualifier{}; // "t" of "t.*", in lower case
    };

    // A table or subquery of FROM: the name it is known by (lower case) and its table as
    // written, empty for a subquery.
    struct TableSource
    {
        QString qualifier;
        QString table;
    };

    struct OrderKey
    {
        Operand key;
        bool descending = false;
    };

    struct SelectCore
    {
        bool distinct = false;
        std::optional<QString> top;
        std::vector<SelectItem> items;
        QString from;
        QString where;
        QString groupBy;
        QString having;
        QString singleTable;    // the table, as written, when FROM names one table and no join
        bool oneTable = false;  // one table, no join, no subquery in FROM
        bool aggregate = false; // an aggregate call of its own, not one of a subquery
        std::vector<TableSource> sources;
    };

    // One level deeper into parentheses, NOT, signs or nested tables: a guard that fails the
    // statement as too complex past a depth the stack holds with room to spare.
    class Nesting
    {
    public:
        explicit Nesting(JetParser& parser);
        ~Nesting() { --m_parser.m_nesting; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        JetParser& m_parser;
    };

    // One precedence level of left-associative binary operators: for each operator its token,
    // the SQL function that computes it (none: written infix) and what it gives; and the parser
    // of the operands, the next level up.
    enum class BinaryResult
    {
        Number,
        Text,
        Truth,
        DateSum,        // + of dates and numbers
        DateDifference, // - of dates and numbers
        Refused,        // an operator Jet has that is not supported
    };
    struct BinaryOperator
    {
        JetTokenKind token;
        QLatin1StringView text;
        QLatin1StringView function;
        BinaryResult result;
    };
    struct BinaryLevel
    {
        std::vector<BinaryOperator> operators;
        Operand (JetParser::*operand)();
    };
    using Result = BinaryResult;

    // engine
    bool onPostgres() const { return m_engine == JetEngine::Postgres; }
    QString identifier(const QString& name) const;
    QString value(const Operand& operand) const;
    QString condition(const Operand& operand) const;
    static Operand truthOperand(const QString& sql);

    // tokens
    const JetToken& peek(int ahead = 0) const;
    const JetToken& take();
    bool acceptWord(QLatin1StringView word);
    bool acceptSymbol(QLatin1StringView symbol);
    void expectWord(QLatin1StringView word, const QString& description);
    void expectSymbol(QLatin1StringView symbol, const QString& description);
    bool isReserved(const JetToken& token) const;
    bool startsOperand(const JetToken& token) const;
    [[noreturn]] void fail(const QString& description) const;
    [[noreturn]] void failMissingOperator() const;
    QString lastNameTaken() const;
    QString sourceText(qsizetype fromToken, qsizetype toToken) const;

    // statements
    QString selectStatement(QString* rowKeyed = nullptr);
    SelectCore selectCore();
    static bool givesTableRows(const SelectCore& core);
    std::vector<SelectItem> selectList();
    std::vector<OrderKey> orderByList();
    QString writeSelect(const SelectCore& core, const std::vector<OrderKey>& order) const;
    std::vector<OrderKey> columnsBeforeAliases(const SelectCore& core, std::vector<OrderKey> order) const;
    static bool isUngroupedColumn(const SelectCore& core, const QString& sql);
    std::optional<QString> sourceColumn(const SelectCore& core, const QString& name) const;
    QString orderByClause(const std::vector<OrderKey>& order) const;
    QString starColumns(const SelectCore& core, const SelectItem& star) const;
    QString tieAwareLimit(const SelectCore& core, const std::vector<OrderKey>& order) const;
    std::optional<QString> resultColumn(const SelectCore& core, qsizetype number) const;
    QString deleteStatement();
    QString updateStatement();
    QString insertStatement();

    // FROM clause
    QString tableList(int& tableCount, bool& hasJoin);
    QString tableReference(int& tableCount, bool& hasJoin);
    QString tablePrimary(int& tableCount, bool& hasJoin);
    std::optional<QString> tableAlias();
    QString name(const QString& description);

    // expressions, lowest precedence first
    Operand clauseExpression();
    QString expressionList();
    Operand expression();
    Operand conjunction();
    Operand binaryChain(const BinaryLevel& level);
    Operand combined(const BinaryOperator& op, const Operand& left, const Operand& right) const;
    Operand negation();
    Operand comparison();
    Operand concatenation();
    Operand addition();
    Operand modulo();
    Operand integerDivision();
    Operand multiplication();
    Operand unary();
    Operand power();
    Operand primary();
    Operand functionCall();
    Operand columnReference();
    Operand dateLiteral();
    Operand numberLiteral();
    QString dateComparison(const Operand& value, const QString& op, const Operand& date) const;
    QString textComparison(const Operand& left, const QString& op, const Operand& right) const;
    Operand likeTest(const Operand& value, bool negated);
    Operand betweenTest(const Operand& value, bool negated);
    Operand inTest(const Operand& value, bool negated);

    JetEngine m_engine;
    std::vector<TableSource> m_sources; // of the FROM clause being read
    int m_subqueries = 0;
    std::vector<JetToken> m_tokens;
    qsizetype m_pos = 0;
    qsizetype m_expressionStart = 0;
    int m_nesting = 0;
    bool m_aggregateCall = false; // in the select being read
    QString m_rowKeyedSql;
    const QString& m_statement;
    TableColumns m_columnsOf;
};

} // namespace corvane
