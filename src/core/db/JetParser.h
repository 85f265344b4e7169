#pragma once

#include "core/db/JetDates.h"
#include "core/db/JetFunctionTable.h"
#include "core/db/JetLexer.h"
#include "core/db/JetTranslator.h"

#include <QString>

#include <optional>
#include <vector>

namespace corvane {

// Reads a statement in the Jet dialect and writes it out as SQLite. Expressions
// are parsed by Jet's operator precedence and written with explicit
// parentheses, so SQLite's different precedence never matters. Throws
// JetSyntaxError for anything it cannot translate with certainty.
class JetParser
{
public:
    JetParser(const QString& statement, TableColumns columnsOf);

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

        bool isDate() const { return kind == JetValueKind::Date; }
    };

    struct SelectItem
    {
        QString sql;      // the expression alone
        QString aliasSql; // the name after AS, as written out
        QString alias;    // the same name in lower case, for ORDER BY
        bool isStar = false;
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
    QString sourceText(qsizetype fromToken, qsizetype toToken) const;

    // statements
    QString selectStatement(QString* rowKeyed = nullptr);
    SelectCore selectCore();
    static bool givesTableRows(const SelectCore& core);
    std::vector<SelectItem> selectList();
    std::vector<OrderKey> orderByList();
    QString writeSelect(const SelectCore& core, const std::vector<OrderKey>& order) const;
    static std::vector<OrderKey> columnsBeforeAliases(const SelectCore& core, std::vector<OrderKey> order);
    static QString orderByClause(const std::vector<OrderKey>& order);
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
    static Operand combined(const BinaryOperator& op, const Operand& left, const Operand& right);
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
    Operand likeTest(const Operand& value, bool negated);
    Operand betweenTest(const Operand& value, bool negated);
    Operand inTest(const Operand& value, bool negated);

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
