#include "core/db/JetParser.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTime>

#include <sqlite3.h>

#include <algorithm>
#include <utility>

namespace corvane {
namespace {

using namespace Qt::StringLiterals;
using Kind = JetValueKind;
constexpr JetTokenKind Word = JetTokenKind::Word;
constexpr JetTokenKind Symbol = JetTokenKind::Symbol;

const QString syntaxInFrom = u"Syntax error in FROM clause."_s;

QString sqlString(const QString& text)
{
    return u'\'' + QString(text).replace(u'\'', "''"_L1) + u'\'';
}

// Plain names stay readable; anything else, or a word SQLite reserves, is quoted.
QString sqliteIdentifier(const QString& name)
{
    static const QRegularExpression plain(u"^[A-Za-z_][A-Za-z0-9_]*$"_s);
    const QByteArray utf8 = name.toUtf8();
    if (plain.match(name).hasMatch() && sqlite3_keyword_check(utf8.constData(), int(utf8.size())) == 0)
        return name;
    return u'"' + QString(name).replace(u'"', "\"\""_L1) + u'"';
}

QString mirrored(const QString& op)
{
    if (op == "<"_L1)
        return u">"_s;
    if (op == ">"_L1)
        return u"<"_s;
    if (op == "<="_L1)
        return u">="_s;
    if (op == ">="_L1)
        return u"<="_s;
    return op;
}

// PostgreSQL keeps unquoted names in lower case and the tables are made so: a name quoted in
// lower case finds its column whatever case the statement writes, and no keyword gets in its way.
QString postgresIdentifier(const QString& name)
{
    return u'"' + name.toLower().replace(u'"', "\"\""_L1) + u'"';
}

QString postgresTimestamp(const JetDateTime& value)
{
    const QString time = QTime::fromMSecsSinceStartOfDay(value.seconds * 1000).toString(u"HH:mm:ss"_s);
    return u"CAST('"_s + value.date.toString(u"yyyy-MM-dd"_s) + u' ' + time + u"' AS timestamp)"_s;
}

// A date compared in Jet is one instant, but a stored midnight has two spellings:
// "YYYY-MM-DD" and "YYYY-MM-DD 00:00:00", which sort around each other as text.
// The low form is the first of them, the high form the second; a value with a
// time of day has only one.
struct DateForms
{
    QString low;
    QString high;
    bool single = false;
};

DateForms dateForms(const QString& sql, const std::optional<JetDateTime>& literal)
{
    if (!literal)
        return {sql, u"jetdatehigh("_s + sql + u')', false};
    const QString low = sqlString(jetStorageText(*literal));
    if (literal->seconds != 0 || literal->date == jetDayZero())
        return {low, low, true};
    return {low, sqlString(jetStorageTextWithTime(*literal)), false};
}

// "value op date" kept in plain column-against-constant forms, so an index on
// the column still serves.
QString storedDateComparison(const QString& value, const QString& op, const DateForms& date)
{
    const bool equality = op == "="_L1 || op == "<>"_L1;
    if (equality && !date.single) {
        const QString in = op == "="_L1 ? u" IN ("_s : u" NOT IN ("_s;
        return value + in + date.low + u", "_s + date.high + u')';
    }
    const bool lowForm = equality || op == ">="_L1 || op == "<"_L1;
    return value + u' ' + op + u' ' + (lowForm ? date.low : date.high);
}

bool isWholeNumber(const QString& text)
{
    static const QRegularExpression digits(u"^\\d+$"_s);
    return digits.match(text).hasMatch();
}

JetValueKind arithmeticKind(JetValueKind left, JetValueKind right, bool subtraction)
{
    const bool leftDate = left == Kind::Date;
    const bool rightDate = right == Kind::Date;
    if (leftDate && rightDate)
        return subtraction ? Kind::Number : Kind::Date;
    if (leftDate || (rightDate && !subtraction))
        return Kind::Date;
    return Kind::Unknown;
}

} // namespace

JetParser::JetParser(const QString& statement, TableColumns columnsOf, JetEngine engine)
    : m_engine(engine), m_tokens(lexJet(statement)), m_statement(statement), m_columnsOf(std::move(columnsOf))
{}

// ---- engine ----

QString JetParser::identifier(const QString& name) const
{
    return onPostgres() ? postgresIdentifier(name) : sqliteIdentifier(name);
}

// PostgreSQL keeps truth values apart from numbers: where a value is wanted, a condition
// becomes 1 or 0 (NULL stays), as SQLite gives it.
QString JetParser::value(const Operand& operand) const
{
    if (onPostgres() && operand.truth)
        return u"CAST("_s + operand.sql + u" AS integer)"_s;
    return operand.sql;
}

// ... and where a condition is wanted, a number is true when it is not 0, as in Jet.
QString JetParser::condition(const Operand& operand) const
{
    if (onPostgres() && !operand.truth)
        return u'(' + operand.sql + u" <> 0)"_s;
    return operand.sql;
}

JetParser::Operand JetParser::truthOperand(const QString& sql)
{
    Operand operand{sql, Kind::Number, {}, {}};
    operand.truth = true;
    return operand;
}

QString JetParser::translate()
{
    QString sql;
    const JetToken& first = peek();
    if (first.isWord("SELECT"_L1))
        sql = selectStatement(&m_rowKeyedSql);
    else if (first.isWord("DELETE"_L1))
        sql = deleteStatement();
    else if (first.isWord("UPDATE"_L1))
        sql = updateStatement();
    else if (first.isWord("INSERT"_L1))
        sql = insertStatement();
    else if (first.isWord("CREATE"_L1) || first.isWord("ALTER"_L1) || first.isWord("DROP"_L1))
        fail(u"Data-definition statements (CREATE, ALTER, DROP) are not supported."_s);
    else
        fail(u"Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'."_s);
    acceptSymbol(";"_L1);
    if (peek().kind != JetTokenKind::End)
        fail(u"Characters found after end of SQL statement."_s);
    return sql;
}

JetParser::Nesting::Nesting(JetParser& parser) : m_parser(parser)
{
    // Each level costs a dozen frames of the descent; statements people write stay far below.
    constexpr int deepest = 100;
    if (m_parser.m_nesting >= deepest)
        m_parser.fail(u"Query is too complex."_s);
    ++m_parser.m_nesting;
}

// ---- tokens ----

const JetToken& JetParser::peek(int ahead) const
{
    const auto index = std::min<qsizetype>(m_pos + ahead, qsizetype(m_tokens.size()) - 1);
    return m_tokens[size_t(index)];
}

const JetToken& JetParser::take()
{
    const JetToken& token = peek();
    if (token.kind != JetTokenKind::End)
        ++m_pos;
    return token;
}

bool JetParser::acceptWord(QLatin1StringView word)
{
    if (!peek().isWord(word))
        return false;
    take();
    return true;
}

bool JetParser::acceptSymbol(QLatin1StringView symbol)
{
    if (!peek().isSymbol(symbol))
        return false;
    take();
    return true;
}

void JetParser::expectWord(QLatin1StringView word, const QString& description)
{
    if (!acceptWord(word))
        fail(description);
}

void JetParser::expectSymbol(QLatin1StringView symbol, const QString& description)
{
    if (!acceptSymbol(symbol))
        fail(description);
}

bool JetParser::isReserved(const JetToken& token) const
{
    static const QStringList reserved = {
        u"ALL"_s,    u"AND"_s,   u"ANY"_s,      u"AS"_s,          u"ASC"_s,   u"BETWEEN"_s, u"BY"_s,
        u"DELETE"_s, u"DESC"_s,  u"DISTINCT"_s, u"DISTINCTROW"_s, u"EQV"_s,   u"EXISTS"_s,  u"FALSE"_s,
        u"FROM"_s,   u"GROUP"_s, u"HAVING"_s,   u"IMP"_s,         u"IN"_s,    u"INNER"_s,   u"INSERT"_s,
        u"INTO"_s,   u"IS"_s,    u"JOIN"_s,     u"LEFT"_s,        u"LIKE"_s,  u"MOD"_s,     u"NOT"_s,
        u"NULL"_s,   u"ON"_s,    u"OR"_s,       u"ORDER"_s,       u"OUTER"_s, u"PERCENT"_s, u"RIGHT"_s,
        u"SELECT"_s, u"SET"_s,   u"SOME"_s,     u"TOP"_s,         u"TRUE"_s,  u"UNION"_s,   u"UPDATE"_s,
        u"VALUES"_s, u"WHERE"_s, u"XOR"_s,
    };
    return token.kind == JetTokenKind::Word && reserved.contains(token.text, Qt::CaseInsensitive);
}

bool JetParser::startsOperand(const JetToken& token) const
{
    switch (token.kind) {
    case JetTokenKind::Word:
        return !isReserved(token) || token.isWord("TRUE"_L1) || token.isWord("FALSE"_L1) ||
               token.isWord("NULL"_L1) || token.isWord("EXISTS"_L1);
    case JetTokenKind::BracketName:
    case JetTokenKind::String:
    case JetTokenKind::Number:
    case JetTokenKind::DateLiteral:
        return true;
    case JetTokenKind::Symbol:
        return token.text == "("_L1;
    case JetTokenKind::End:
        return false;
    }
    return false;
}

void JetParser::fail(const QString& description) const
{
    throw JetSyntaxError{description};
}

void JetParser::failMissingOperator() const
{
    fail(u"Syntax error (missing operator) in query expression '%1'."_s.arg(
        sourceText(m_expressionStart, m_pos)));
}

// The name just read, in lower case: how the statement refers to it again.
QString JetParser::lastNameTaken() const
{
    return m_tokens[size_t(m_pos - 1)].text.toLower();
}

QString JetParser::sourceText(qsizetype fromToken, qsizetype toToken) const
{
    const qsizetype last = qsizetype(m_tokens.size()) - 1;
    const qsizetype start = m_tokens[size_t(std::min(fromToken, last))].start;
    const qsizetype end = m_tokens[size_t(std::min(toToken, last))].end;
    return m_statement.mid(start, end - start);
}

// ---- SELECT ----

QString JetParser::selectStatement(QString* rowKeyed)
{
    std::vector<SelectCore> cores{selectCore()};
    QStringList unions;
    while (acceptWord("UNION"_L1)) {
        unions.append(acceptWord("ALL"_L1) ? u" UNION ALL "_s : u" UNION "_s);
        cores.push_back(selectCore());
    }
    std::vector<OrderKey> order;
    const bool enclosingAggregate = std::exchange(m_aggregateCall, false);
    if (acceptWord("ORDER"_L1)) {
        expectWord("BY"_L1, u"Syntax error in ORDER BY clause."_s);
        order = orderByList();
    }
    const bool orderAggregates = std::exchange(m_aggregateCall, enclosingAggregate);
    if (cores.size() == 1) {
        if (rowKeyed && !order.empty() && !orderAggregates && givesTableRows(cores.front())) {
            SelectCore keyed = cores.front();
            keyed.items.push_back(SelectItem{u"rowid"_s, u"cv_rowid"_s, u"cv_rowid"_s, false});
            *rowKeyed = writeSelect(keyed, order);
        }
        return writeSelect(cores.front(), order);
    }
    QString sql = writeSelect(cores.front(), {});
    for (size_t i = 1; i < cores.size(); ++i) {
        if (cores[i].top || cores.front().top)
            fail(u"TOP is not supported in a union query."_s);
        sql += unions[qsizetype(i - 1)] + writeSelect(cores[i], {});
    }
    return sql + orderByClause(order);
}

JetParser::SelectCore JetParser::selectCore()
{
    SelectCore core;
    const bool enclosingAggregate = std::exchange(m_aggregateCall, false);
    expectWord("SELECT"_L1, u"Syntax error in union query."_s);
    bool distinctRow = false;
    if (acceptWord("DISTINCT"_L1))
        core.distinct = true;
    else if (acceptWord("DISTINCTROW"_L1))
        distinctRow = true;
    else
        acceptWord("ALL"_L1);
    if (acceptWord("TOP"_L1)) {
        const JetToken& count = take();
        if (count.kind != JetTokenKind::Number || !isWholeNumber(count.text) || count.text.toLongLong() <= 0)
            fail(u"The TOP clause needs a whole number of rows greater than 0."_s);
        if (acceptWord("PERCENT"_L1))
            fail(u"TOP n PERCENT is not supported."_s);
        core.top = count.text;
    }
    core.items = selectList();
    if (peek().isWord("INTO"_L1))
        fail(u"SELECT ... INTO (a make-table query) is not supported."_s);
    int tableCount = 0;
    bool hasJoin = false;
    if (acceptWord("FROM"_L1)) {
        const bool startsWithName = peek().kind == JetTokenKind::BracketName ||
                                    (peek().kind == JetTokenKind::Word && !isReserved(peek()));
        const QString firstName = peek().text;
        const std::vector<TableSource> enclosingSources = std::exchange(m_sources, {});
        core.from = tableList(tableCount, hasJoin);
        core.sources = std::exchange(m_sources, enclosingSources);
        if (startsWithName && tableCount == 1 && !hasJoin)
            core.singleTable = firstName;
    }
    if (acceptWord("WHERE"_L1))
        core.where = condition(clauseExpression());
    if (acceptWord("GROUP"_L1)) {
        expectWord("BY"_L1, u"Syntax error in GROUP BY clause."_s);
        core.groupBy = expressionList();
    }
    if (acceptWord("HAVING"_L1))
        core.having = condition(clauseExpression());
    // DISTINCTROW drops duplicate source rows: with one table it changes nothing.
    if (distinctRow && (tableCount > 1 || hasJoin))
        fail(u"DISTINCTROW over several tables is not supported."_s);
    core.oneTable = tableCount == 1 && !hasJoin;
    core.aggregate = std::exchange(m_aggregateCall, enclosingAggregate);
    return core;
}

// Whether every row the select gives is one row of its table, which that row's rowid names.
bool JetParser::givesTableRows(const SelectCore& core)
{
    return core.oneTable && !core.distinct && !core.top && core.groupBy.isEmpty() && core.having.isEmpty() &&
           !core.aggregate;
}

std::vector<JetParser::SelectItem> JetParser::selectList()
{
    std::vector<SelectItem> items;
    int unnamed = 0;
    do {
        const bool qualifiedStar = (peek().kind == JetTokenKind::BracketName ||
                                    (peek().kind == JetTokenKind::Word && !isReserved(peek()))) &&
                                   peek(1).isSymbol("."_L1) && peek(2).isSymbol("*"_L1);
        if (acceptSymbol("*"_L1)) {
            items.push_back(SelectItem{u"*"_s, {}, {}, true});
        } else if (qualifiedStar) {
            const QString qualifier = peek().text.toLower();
            const QString table = name(syntaxInFrom);
            take();
            take();
            items.push_back(SelectItem{table + u".*"_s, {}, {}, true, qualifier});
        } else {
            const Operand value = clauseExpression();
            SelectItem item{this->value(value), {}, {}, false};
            if (acceptWord("AS"_L1)) {
                item.alias = peek().text.toLower();
                item.aliasSql = name(u"Syntax error in query: a name must follow AS."_s);
                if (startsOperand(peek()))
                    failMissingOperator();
            } else if (!value.isColumn) {
                // Jet's names for unnamed expressions, rather than the text of their translation.
                item.aliasSql = u"Expr"_s + QString::number(1000 + unnamed++);
            }
            items.push_back(item);
        }
    } while (acceptSymbol(","_L1));
    return items;
}

std::vector<JetParser::OrderKey> JetParser::orderByList()
{
    std::vector<OrderKey> keys;
    do {
        OrderKey key{clauseExpression(), false};
        // A column number stays as written: a number literal of its own would sort nothing.
        if (!key.key.numberText.isEmpty())
            key.key.sql = key.key.numberText;
        key.key.sql = value(key.key);
        if (acceptWord("DESC"_L1))
            key.descending = true;
        else
            acceptWord("ASC"_L1);
        keys.push_back(key);
    } while (acceptSymbol(","_L1));
    return keys;
}

QString JetParser::writeSelect(const SelectCore& core, const std::vector<OrderKey>& order) const
{
    QStringList items;
    for (const SelectItem& item : core.items) {
        const QString sql = item.isStar && onPostgres() ? starColumns(core, item) : item.sql;
        items.append(item.aliasSql.isEmpty() ? sql : sql + u" AS "_s + item.aliasSql);
    }
    QString sql = u"SELECT "_s + (core.distinct ? u"DISTINCT "_s : QString()) + items.join(u", "_s);
    if (!core.from.isEmpty())
        sql += u" FROM "_s + core.from;
    if (!core.where.isEmpty())
        sql += u" WHERE "_s + core.where;
    if (!core.groupBy.isEmpty())
        sql += u" GROUP BY "_s + core.groupBy;
    if (!core.having.isEmpty())
        sql += u" HAVING "_s + core.having;
    sql += orderByClause(columnsBeforeAliases(core, order));
    if (core.top && !order.empty() && onPostgres()) {
        if (core.distinct)
            fail(u"TOP together with DISTINCT and ORDER BY is not supported."_s);
        sql += u" FETCH FIRST "_s + *core.top + u" ROWS WITH TIES"_s;
    } else if (core.top) {
        sql += u" LIMIT "_s + (order.empty() ? *core.top : tieAwareLimit(core, order));
    }
    return sql;
}

// What "*" (or "t.*") stands for on PostgreSQL: each table's columns before its hidden rowid;
// a subquery's, or an unknown table's, as they are.
QString JetParser::starColumns(const SelectCore& core, const SelectItem& star) const
{
    QStringList columns;
    for (const TableSource& source : core.sources) {
        if (!star.starQualifier.isEmpty() && source.qualifier != star.starQualifier)
            continue;
        const std::optional<QStringList> known =
            source.table.isEmpty() || !m_columnsOf ? std::nullopt : m_columnsOf(source.table);
        const QString qualifier = identifier(source.qualifier) + u'.';
        if (!known) {
            columns.append(qualifier + u'*');
            continue;
        }
        for (const QString& column : *known)
            columns.append(qualifier + identifier(column));
    }
    return columns.isEmpty() ? star.sql : columns.join(u", "_s);
}

// Jet reads a name in ORDER BY as a column of the tables; SQLite takes a result alias of that
// name first, so "SELECT Deleted, COUNT(Deleted) AS Deleted ... ORDER BY Deleted" would sort by
// the count. With a unary plus SQLite looks for the column first and falls back to the alias.
// PostgreSQL takes a bare name for a result alias first too, but a qualified name for a column
// only: there the key is a column when one of the tables has it, else the alias.
std::vector<JetParser::OrderKey> JetParser::columnsBeforeAliases(const SelectCore& core,
                                                                 std::vector<OrderKey> order) const
{
    for (OrderKey& key : order) {
        const bool alsoAlias =
            !key.key.plainName.isEmpty() &&
            std::any_of(core.items.begin(), core.items.end(),
                        [&key](const SelectItem& item) { return item.alias == key.key.plainName; });
        if (alsoAlias && !onPostgres())
            key.key.sql.prepend(u'+');
        else if (alsoAlias && !isUngroupedColumn(core, key.key.sql))
            key.key.sql = sourceColumn(core, key.key.plainName).value_or(key.key.sql);
    }
    return order;
}

// A grouped select has only its groups' columns: a name of another column can only mean the
// alias (cv.mdb's SQLite takes it so too).
bool JetParser::isUngroupedColumn(const SelectCore& core, const QString& sql)
{
    const bool grouped = !core.groupBy.isEmpty() || core.aggregate;
    return grouped && !core.groupBy.split(u", "_s).contains(sql);
}

// The column of that name of one of the tables, qualified by the table's name in FROM; nullopt
// when none of the tables known has it.
std::optional<QString> JetParser::sourceColumn(const SelectCore& core, const QString& name) const
{
    for (const TableSource& source : core.sources) {
        const std::optional<QStringList> columns =
            source.table.isEmpty() || !m_columnsOf ? std::nullopt : m_columnsOf(source.table);
        if (columns && columns->contains(name, Qt::CaseInsensitive))
            return identifier(source.qualifier) + u'.' + identifier(name);
    }
    return std::nullopt;
}

// NULL sorts below every value in cv.mdb, above every value in PostgreSQL.
QString JetParser::orderByClause(const std::vector<OrderKey>& order) const
{
    if (order.empty())
        return {};
    QStringList keys;
    for (const OrderKey& key : order) {
        QString sql = key.key.sql + (key.descending ? u" DESC"_s : u" ASC"_s);
        if (onPostgres())
            sql += key.descending ? u" NULLS LAST"_s : u" NULLS FIRST"_s;
        keys.append(sql);
    }
    return u" ORDER BY "_s + keys.join(u", "_s);
}

// Jet's TOP n keeps every row that ties with the n-th in the sort order: the
// limit is the number of rows whose rank is at most n.
QString JetParser::tieAwareLimit(const SelectCore& core, const std::vector<OrderKey>& order) const
{
    if (core.distinct)
        fail(u"TOP together with DISTINCT and ORDER BY is not supported."_s);
    QStringList keys;
    for (const OrderKey& key : order) {
        QString sql = key.key.sql;
        if (!key.key.plainName.isEmpty()) {
            for (const SelectItem& item : core.items) {
                if (item.alias == key.key.plainName)
                    sql = item.sql;
            }
        } else if (key.key.kind == Kind::Number && isWholeNumber(sql)) {
            const std::optional<QString> column = resultColumn(core, sql.toLongLong());
            if (!column)
                fail(u"TOP with ORDER BY a column number is supported only for a listed column."_s);
            sql = *column;
        }
        keys.append(sql + (key.descending ? u" DESC"_s : u" ASC"_s));
    }
    SelectCore ranking = core;
    ranking.distinct = false;
    ranking.top.reset();
    ranking.items = {
        SelectItem{u"RANK() OVER (ORDER BY "_s + keys.join(u", "_s) + u')', u"cv_rank"_s, {}, false}};
    return u"(SELECT COUNT(*) FROM ("_s + writeSelect(ranking, {}) + u") WHERE cv_rank <= "_s + *core.top +
           u')';
}

// The expression of the result's column of that number (from 1). A "*" stands for its table's
// columns, as Jet expands it, when FROM names one table whose columns are known; nullopt when the
// column cannot be known.
std::optional<QString> JetParser::resultColumn(const SelectCore& core, qsizetype number) const
{
    qsizetype remaining = number;
    for (const SelectItem& item : core.items) {
        if (remaining < 1)
            break;
        if (!item.isStar) {
            if (--remaining == 0)
                return item.sql;
            continue;
        }
        const std::optional<QStringList> columns =
            core.singleTable.isEmpty() || !m_columnsOf ? std::nullopt : m_columnsOf(core.singleTable);
        if (!columns)
            break;
        if (remaining <= columns->size())
            return identifier(columns->at(remaining - 1));
        remaining -= columns->size();
    }
    return std::nullopt;
}

// ---- DELETE, UPDATE, INSERT ----

QString JetParser::deleteStatement()
{
    expectWord("DELETE"_L1, {});
    if (!acceptSymbol("*"_L1) && !peek().isWord("FROM"_L1)) {
        name(u"Syntax error in DELETE statement."_s);
        expectSymbol("."_L1, u"Syntax error in DELETE statement."_s);
        expectSymbol("*"_L1, u"Syntax error in DELETE statement."_s);
    }
    expectWord("FROM"_L1, u"Syntax error in DELETE statement."_s);
    int tableCount = 0;
    bool hasJoin = false;
    QString sql = u"DELETE FROM "_s + tableList(tableCount, hasJoin);
    if (tableCount != 1 || hasJoin)
        fail(u"Deleting from several tables at once is not supported."_s);
    if (acceptWord("WHERE"_L1))
        sql += u" WHERE "_s + condition(clauseExpression());
    return sql;
}

QString JetParser::updateStatement()
{
    expectWord("UPDATE"_L1, {});
    const QString tableText = peek().text;
    QString sql = u"UPDATE "_s + name(u"Syntax error in UPDATE statement."_s);
    const std::optional<QString> alias = tableAlias();
    if (alias)
        sql += u" AS "_s + *alias;
    if (peek().isSymbol(","_L1) || peek().isWord("INNER"_L1) || peek().isWord("LEFT"_L1) ||
        peek().isWord("RIGHT"_L1))
        fail(u"Updating several tables at once is not supported."_s);
    expectWord("SET"_L1, u"Syntax error in UPDATE statement."_s);
    QStringList assignments;
    do {
        QString column = peek().text;
        const QString columnSql = name(u"Syntax error in UPDATE statement."_s);
        QString target = columnSql;
        if (acceptSymbol("."_L1)) {
            // SQLite's SET takes the bare column; the qualifier may only name this table.
            const bool ownTable = column.compare(tableText, Qt::CaseInsensitive) == 0 ||
                                  (alias && identifier(column).compare(*alias, Qt::CaseInsensitive) == 0);
            if (!ownTable)
                fail(u"Syntax error in UPDATE statement."_s);
            target = name(u"Syntax error in UPDATE statement."_s);
        }
        expectSymbol("="_L1, u"Syntax error in UPDATE statement."_s);
        assignments.append(target + u" = "_s + value(clauseExpression()));
    } while (acceptSymbol(","_L1));
    sql += u" SET "_s + assignments.join(u", "_s);
    if (acceptWord("WHERE"_L1))
        sql += u" WHERE "_s + condition(clauseExpression());
    return sql;
}

QString JetParser::insertStatement()
{
    const QString error = u"Syntax error in INSERT INTO statement."_s;
    expectWord("INSERT"_L1, {});
    expectWord("INTO"_L1, error);
    QString sql = u"INSERT INTO "_s + name(error);
    if (acceptSymbol("("_L1)) {
        QStringList columns;
        do
            columns.append(name(error));
        while (acceptSymbol(","_L1));
        expectSymbol(")"_L1, error);
        sql += u" ("_s + columns.join(u", "_s) + u')';
    }
    if (acceptWord("VALUES"_L1)) {
        expectSymbol("("_L1, error);
        sql += u" VALUES ("_s + expressionList() + u')';
        expectSymbol(")"_L1, error);
    } else if (peek().isWord("SELECT"_L1)) {
        sql += u' ' + selectStatement();
    } else {
        fail(error);
    }
    return sql;
}

// ---- FROM ----

QString JetParser::tableList(int& tableCount, bool& hasJoin)
{
    QString sql = tableReference(tableCount, hasJoin);
    while (acceptSymbol(","_L1))
        sql += u", "_s + tableReference(tableCount, hasJoin);
    if (startsOperand(peek()))
        fail(syntaxInFrom);
    return sql;
}

QString JetParser::tableReference(int& tableCount, bool& hasJoin)
{
    QString sql = tablePrimary(tableCount, hasJoin);
    while (true) {
        QString join;
        if (acceptWord("INNER"_L1)) {
            join = u" INNER JOIN "_s;
        } else if (acceptWord("LEFT"_L1)) {
            acceptWord("OUTER"_L1);
            join = u" LEFT JOIN "_s;
        } else if (acceptWord("RIGHT"_L1)) {
            acceptWord("OUTER"_L1);
            join = u" RIGHT JOIN "_s;
        } else if (peek().isWord("JOIN"_L1)) {
            fail(u"Syntax error in JOIN operation."_s);
        } else {
            return sql;
        }
        expectWord("JOIN"_L1, u"Syntax error in JOIN operation."_s);
        const QString right = tablePrimary(tableCount, hasJoin);
        expectWord("ON"_L1, u"Syntax error in JOIN operation."_s);
        sql += join + right + u" ON "_s + condition(clauseExpression());
        hasJoin = true;
    }
}

QString JetParser::tablePrimary(int& tableCount, bool& hasJoin)
{
    if (acceptSymbol("("_L1)) {
        const Nesting nesting(*this);
        QString sql;
        if (peek().isWord("SELECT"_L1)) {
            sql = u'(' + selectStatement() + u')';
            ++tableCount;
            hasJoin = true; // rows of a subquery are no table's own rows
            expectSymbol(")"_L1, syntaxInFrom);
            // PostgreSQL wants a name for every subquery of FROM; Jet does not.
            QString qualifier;
            if (const auto alias = tableAlias()) {
                sql += u" AS "_s + *alias;
                qualifier = lastNameTaken();
            } else if (onPostgres()) {
                qualifier = u"cv_subquery"_s + QString::number(++m_subqueries);
                sql += u" AS "_s + qualifier;
            }
            m_sources.push_back(TableSource{qualifier, {}});
            return sql;
        }
        sql = u'(' + tableReference(tableCount, hasJoin) + u')';
        expectSymbol(")"_L1, u"Syntax error in JOIN operation."_s);
        return sql;
    }
    const QString table = peek().text;
    QString sql = name(syntaxInFrom);
    ++tableCount;
    QString qualifier = table.toLower();
    if (const auto alias = tableAlias()) {
        sql += u" AS "_s + *alias;
        qualifier = lastNameTaken();
    }
    m_sources.push_back(TableSource{qualifier, table});
    return sql;
}

std::optional<QString> JetParser::tableAlias()
{
    if (acceptWord("AS"_L1))
        return name(syntaxInFrom);
    const JetToken& next = peek();
    if (next.kind == JetTokenKind::BracketName || (next.kind == JetTokenKind::Word && !isReserved(next)))
        return name(syntaxInFrom);
    return std::nullopt;
}

QString JetParser::name(const QString& description)
{
    const JetToken& token = peek();
    if (token.kind != JetTokenKind::BracketName && (token.kind != JetTokenKind::Word || isReserved(token)))
        fail(description);
    return identifier(take().text);
}

// ---- expressions ----

JetParser::Operand JetParser::clauseExpression()
{
    const qsizetype outerStart = m_expressionStart;
    m_expressionStart = m_pos;
    Operand operand = expression();
    if (startsOperand(peek()))
        failMissingOperator();
    m_expressionStart = outerStart;
    return operand;
}

QString JetParser::expressionList()
{
    QStringList items;
    do
        items.append(value(clauseExpression()));
    while (acceptSymbol(","_L1));
    return items.join(u", "_s);
}

// Jet's logical operators; XOR, EQV and IMP are known, so that they fail by name.
JetParser::Operand JetParser::expression()
{
    const Nesting nesting(*this);
    static const BinaryLevel level{{{Word, "OR"_L1, {}, Result::Truth},
                                    {Word, "XOR"_L1, {}, Result::Refused},
                                    {Word, "EQV"_L1, {}, Result::Refused},
                                    {Word, "IMP"_L1, {}, Result::Refused}},
                                   &JetParser::conjunction};
    return binaryChain(level);
}

JetParser::Operand JetParser::conjunction()
{
    static const BinaryLevel level{{{Word, "AND"_L1, {}, Result::Truth}}, &JetParser::negation};
    return binaryChain(level);
}

JetParser::Operand JetParser::binaryChain(const BinaryLevel& level)
{
    Operand left = (this->*level.operand)();
    while (true) {
        const JetToken& next = peek();
        const auto found =
            std::find_if(level.operators.begin(), level.operators.end(), [&next](const auto& op) {
                return op.token == Word ? next.isWord(op.text) : next.isSymbol(op.text);
            });
        if (found == level.operators.end())
            return left;
        if (found->result == Result::Refused)
            fail(u"The operator %1 is not supported."_s.arg(next.text.toUpper()));
        take();
        const Operand right = (this->*level.operand)();
        left = combined(*found, left, right);
    }
}

JetParser::Operand JetParser::combined(const BinaryOperator& op, const Operand& left,
                                       const Operand& right) const
{
    if (op.result == Result::Truth)
        return truthOperand(u'(' + condition(left) + u' ' + op.text.toString().toUpper() + u' ' +
                            condition(right) + u')');
    const QString sql =
        op.function.isEmpty()
            ? QString(u'(' + value(left) + u' ' + op.text.toString().toUpper() + u' ' + value(right) + u')')
            : QString(op.function + u'(' + value(left) + u", "_s + value(right) + u')');
    switch (op.result) {
    case Result::Text:
        return Operand{sql, Kind::Text, {}, {}};
    case Result::DateSum:
        return Operand{sql, arithmeticKind(left.kind, right.kind, false), {}, {}};
    case Result::DateDifference:
        return Operand{sql, arithmeticKind(left.kind, right.kind, true), {}, {}};
    case Result::Number:
    case Result::Truth:
    case Result::Refused:
        break;
    }
    return Operand{sql, Kind::Number, {}, {}};
}

JetParser::Operand JetParser::negation()
{
    if (!acceptWord("NOT"_L1))
        return comparison();
    const Nesting nesting(*this);
    const Operand operand = negation();
    return truthOperand(u"(NOT "_s + condition(operand) + u')');
}

JetParser::Operand JetParser::comparison()
{
    static const QStringList comparisons = {u"="_s, u"<>"_s, u"<"_s, u">"_s, u"<="_s, u">="_s};
    Operand left = concatenation();
    while (true) {
        const JetToken& next = peek();
        if (next.kind == JetTokenKind::Symbol && comparisons.contains(next.text)) {
            QString op = take().text;
            Operand right = concatenation();
            if (!right.isDate() && left.isDate()) {
                std::swap(left, right);
                op = mirrored(op);
            }
            const QString sql =
                right.isDate() ? dateComparison(left, op, right) : textComparison(left, op, right);
            left = truthOperand(u'(' + sql + u')');
            continue;
        }
        const bool negated =
            next.isWord("NOT"_L1) &&
            (peek(1).isWord("LIKE"_L1) || peek(1).isWord("BETWEEN"_L1) || peek(1).isWord("IN"_L1));
        if (negated)
            take();
        if (acceptWord("LIKE"_L1)) {
            left = likeTest(left, negated);
        } else if (acceptWord("BETWEEN"_L1)) {
            left = betweenTest(left, negated);
        } else if (acceptWord("IN"_L1)) {
            left = inTest(left, negated);
        } else if (acceptWord("IS"_L1)) {
            const bool isNot = acceptWord("NOT"_L1);
            if (!acceptWord("NULL"_L1))
                failMissingOperator();
            left = truthOperand(u'(' + value(left) + (isNot ? u" IS NOT NULL)"_s : u" IS NULL)"_s));
        } else {
            return left;
        }
    }
}

// A date on the right. PostgreSQL compares typed dates as they are; a text compared with a date
// is compared as cv.mdb compares it, with the stored forms of the date.
QString JetParser::dateComparison(const Operand& left, const QString& op, const Operand& date) const
{
    if (onPostgres() && left.kind != Kind::Text)
        return value(left) + u' ' + op + u' ' + value(date);
    return storedDateComparison(value(left), op, dateForms(value(date), date.dateLiteral));
}

// cv.mdb compares without regard to case where a column is compared (its texts collate
// NOCASE), case by case where two other texts are. On PostgreSQL a literal takes the citext of
// the column it meets, but a function's text beside a citext column compares as text, case by
// case: there it is made citext.
QString JetParser::textComparison(const Operand& left, const QString& op, const Operand& right) const
{
    const auto side = [this](const Operand& operand, const Operand& other) {
        const bool citext =
            onPostgres() && operand.kind == Kind::Text && !operand.isStringLiteral() && other.isColumn;
        return citext ? u"CAST("_s + value(operand) + u" AS citext)"_s : value(operand);
    };
    return side(left, right) + u' ' + op + u' ' + side(right, left);
}

// Jet's LIKE: case-insensitive, with * ? # and [character lists].
JetParser::Operand JetParser::likeTest(const Operand& value, bool negated)
{
    const Operand pattern = concatenation();
    const QString test = u"jetlike("_s + this->value(pattern) + u", "_s + this->value(value) + u')';
    // jetlike gives a number on SQLite, a boolean on PostgreSQL.
    return truthOperand(negated ? u"(NOT "_s + test + u')' : test);
}

JetParser::Operand JetParser::betweenTest(const Operand& value, bool negated)
{
    const Operand low = concatenation();
    expectWord("AND"_L1, u"Between operator without And in query expression '%1'."_s.arg(
                             sourceText(m_expressionStart, m_pos)));
    const Operand high = concatenation();
    const bool storedForms = !onPostgres() || value.kind == Kind::Text;
    const QString lowSql =
        low.isDate() && storedForms ? dateForms(this->value(low), low.dateLiteral).low : this->value(low);
    const QString highSql = high.isDate() && storedForms ? dateForms(this->value(high), high.dateLiteral).high
                                                         : this->value(high);
    return truthOperand(u'(' + this->value(value) + (negated ? u" NOT BETWEEN "_s : u" BETWEEN "_s) + lowSql +
                        u" AND "_s + highSql + u')');
}

JetParser::Operand JetParser::inTest(const Operand& value, bool negated)
{
    expectSymbol("("_L1,
                 u"Syntax error in query expression '%1'."_s.arg(sourceText(m_expressionStart, m_pos)));
    QStringList items;
    if (peek().isWord("SELECT"_L1)) {
        items.append(selectStatement());
    } else {
        do {
            const Operand item = expression();
            const DateForms forms = dateForms(this->value(item), item.dateLiteral);
            const bool storedForms = !onPostgres() || value.kind == Kind::Text;
            if (!item.isDate() || forms.single || !storedForms)
                items.append(this->value(item));
            else
                items << forms.low << forms.high;
        } while (acceptSymbol(","_L1));
    }
    if (!acceptSymbol(")"_L1))
        failMissingOperator();
    return truthOperand(u'(' + this->value(value) + (negated ? u" NOT IN ("_s : u" IN ("_s) +
                        items.join(u", "_s) + u"))"_s);
}

JetParser::Operand JetParser::concatenation()
{
    static const BinaryLevel level{{{Symbol, "&"_L1, "jetconcat"_L1, Result::Text}}, &JetParser::addition};
    return binaryChain(level);
}

JetParser::Operand JetParser::addition()
{
    static const BinaryLevel level{{{Symbol, "+"_L1, "jetplus"_L1, Result::DateSum},
                                    {Symbol, "-"_L1, "jetminus"_L1, Result::DateDifference}},
                                   &JetParser::modulo};
    return binaryChain(level);
}

JetParser::Operand JetParser::modulo()
{
    static const BinaryLevel level{{{Word, "MOD"_L1, "jetmod"_L1, Result::Number}},
                                   &JetParser::integerDivision};
    return binaryChain(level);
}

JetParser::Operand JetParser::integerDivision()
{
    static const BinaryLevel level{{{Symbol, "\\"_L1, "jetintdiv"_L1, Result::Number}},
                                   &JetParser::multiplication};
    return binaryChain(level);
}

// Jet divides in floating point and fails on a zero divisor; SQLite truncates integers and
// yields NULL: hence jetdiv.
JetParser::Operand JetParser::multiplication()
{
    static const BinaryLevel level{
        {{Symbol, "*"_L1, {}, Result::Number}, {Symbol, "/"_L1, "jetdiv"_L1, Result::Number}},
        &JetParser::unary};
    return binaryChain(level);
}

JetParser::Operand JetParser::unary()
{
    if (acceptSymbol("-"_L1)) {
        const Nesting nesting(*this);
        const Operand operand = unary();
        // The blank keeps "- -1" from turning into an SQL comment.
        return Operand{u"(- "_s + value(operand) + u')', Kind::Number, {}, {}};
    }
    if (acceptSymbol("+"_L1)) {
        const Nesting nesting(*this);
        return unary();
    }
    return power();
}

JetParser::Operand JetParser::power()
{
    Operand base = primary();
    while (acceptSymbol("^"_L1)) {
        const Operand exponent = peek().isSymbol("-"_L1) ? unary() : primary();
        base = Operand{u"jetpower("_s + value(base) + u", "_s + value(exponent) + u')', Kind::Number, {}, {}};
    }
    return base;
}

JetParser::Operand JetParser::primary()
{
    const JetToken& token = peek();
    switch (token.kind) {
    case JetTokenKind::Number:
        return numberLiteral();
    case JetTokenKind::String:
        return Operand{sqlString(take().text), Kind::Text, {}, {}};
    case JetTokenKind::DateLiteral:
        return dateLiteral();
    case JetTokenKind::BracketName:
        return columnReference();
    case JetTokenKind::Word:
        break;
    case JetTokenKind::Symbol:
    case JetTokenKind::End:
        if (!acceptSymbol("("_L1))
            failMissingOperator();
        if (peek().isWord("SELECT"_L1)) {
            const QString subquery = selectStatement();
            expectSymbol(")"_L1, u"Syntax error in subquery."_s);
            return Operand{u'(' + subquery + u')', Kind::Unknown, {}, {}};
        } else {
            Operand inner = expression();
            if (!acceptSymbol(")"_L1))
                failMissingOperator();
            inner.sql = u'(' + inner.sql + u')';
            inner.plainName.clear();
            inner.isColumn = false;
            return inner;
        }
    }
    if (acceptWord("TRUE"_L1))
        return Operand{u"1"_s, Kind::Number, {}, {}};
    if (acceptWord("FALSE"_L1))
        return Operand{u"0"_s, Kind::Number, {}, {}};
    if (acceptWord("NULL"_L1))
        return Operand{u"NULL"_s, Kind::Unknown, {}, {}};
    if (acceptWord("EXISTS"_L1)) {
        expectSymbol("("_L1, u"Syntax error in EXISTS subquery."_s);
        const QString subquery = selectStatement();
        expectSymbol(")"_L1, u"Syntax error in EXISTS subquery."_s);
        return truthOperand(u"(EXISTS ("_s + subquery + u"))"_s);
    }
    if (peek(1).isSymbol("("_L1) && (!isReserved(token) || findJetFunction(token.text)))
        return functionCall();
    if (isReserved(token))
        failMissingOperator();
    return columnReference();
}

JetParser::Operand JetParser::dateLiteral()
{
    const JetToken& token = take();
    const auto value = parseJetDateText(token.text);
    if (!value)
        fail(u"Syntax error in date in query expression '#%1#'."_s.arg(token.text));
    const QString sql = onPostgres() ? postgresTimestamp(*value) : sqlString(jetStorageText(*value));
    return Operand{sql, Kind::Date, value, {}};
}

// PostgreSQL reads 7 as integer and 1.5 as numeric, which Jet's functions would take through
// their double precision overloads: whole numbers are made bigint, others double precision,
// as SQLite holds them.
JetParser::Operand JetParser::numberLiteral()
{
    const QString text = take().text;
    Operand operand{text, Kind::Number, {}, {}};
    operand.numberText = text;
    if (onPostgres()) {
        bool whole = false;
        text.toLongLong(&whole);
        operand.sql = u"CAST("_s + text + (whole ? u" AS bigint)"_s : u" AS double precision)"_s);
    }
    return operand;
}

JetParser::Operand JetParser::columnReference()
{
    const QString first = peek().text;
    QString sql = name(syntaxInFrom);
    if (!acceptSymbol("."_L1))
        return Operand{sql, Kind::Unknown, {}, first.toLower(), true};
    sql += u'.' + name(u"Syntax error in query expression '%1'."_s.arg(sourceText(m_expressionStart, m_pos)));
    return Operand{sql, Kind::Unknown, {}, {}, true};
}

JetParser::Operand JetParser::functionCall()
{
    const qsizetype start = m_pos;
    const QString jetName = take().text;
    const JetFunctionRule* rule = findJetFunction(jetName);
    if (!rule)
        fail(u"Undefined function '%1' in expression."_s.arg(jetName));
    take(); // (
    std::vector<Operand> arguments;
    if (rule->form == JetCallForm::Aggregate && (peek().isWord("DISTINCT"_L1) || peek().isWord("ALL"_L1)))
        fail(u"DISTINCT inside an aggregate function is not supported."_s);
    if (rule->form == JetCallForm::Aggregate)
        m_aggregateCall = true;
    if (rule->jetName == "Count"_L1 && peek().isSymbol("*"_L1) && peek(1).isSymbol(")"_L1)) {
        take();
        arguments.push_back(Operand{u"*"_s, Kind::Unknown, {}, {}});
    } else if (!peek().isSymbol(")"_L1)) {
        do
            arguments.push_back(expression());
        while (acceptSymbol(","_L1));
    }
    if (!acceptSymbol(")"_L1))
        failMissingOperator();
    const int count = int(arguments.size());
    if (count < rule->minArguments || count > rule->maxArguments)
        fail(u"Wrong number of arguments used with function in query expression '%1'."_s.arg(
            sourceText(start, m_pos - 1)));

    QStringList sql;
    for (const Operand& argument : arguments)
        sql.append(value(argument));
    switch (rule->form) {
    case JetCallForm::Call:
    case JetCallForm::Aggregate:
        return Operand{rule->sqlName + u'(' + sql.join(u", "_s) + u')', rule->result, {}, {}};
    case JetCallForm::Iif: {
        const Kind kind = arguments[1].kind == arguments[2].kind ? arguments[1].kind : Kind::Unknown;
        return Operand{u"(CASE WHEN "_s + condition(arguments[0]) + u" THEN "_s + sql[1] + u" ELSE "_s +
                           sql[2] + u" END)"_s,
                       kind,
                       {},
                       {}};
    }
    case JetCallForm::Nz:
        // In a query Nz without a second argument gives a zero-length string.
        // PostgreSQL's COALESCE wants one type: there the value turns text to stand beside ''.
        if (count == 1 && onPostgres() && arguments[0].kind != Kind::Text)
            sql[0] = u"CAST("_s + sql[0] + u" AS text)"_s;
        return Operand{u"COALESCE("_s + sql[0] + u", "_s + (count == 2 ? sql[1] : u"''"_s) + u')',
                       arguments[0].kind,
                       {},
                       {}};
    case JetCallForm::IsNull:
        return truthOperand(u'(' + sql[0] + u" IS NULL)"_s);
    }
    return {};
}

} // namespace corvane
