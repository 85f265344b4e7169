#include "core/db/postgresql/PgStatement.h"

#include <algorithm>
#include <atomic>

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

// PostgreSQL's numbers for the built-in types read as something other than text.
enum TypeOid : unsigned
{
    boolOid = 16,
    int8Oid = 20,
    int2Oid = 21,
    int4Oid = 23,
    float4Oid = 700,
    float8Oid = 701,
    numericOid = 1700,
};

// The end of the quoted text or comment that starts at position, or position itself.
qsizetype skipQuotedOrComment(const QString& sql, qsizetype position)
{
    const QChar c = sql[position];
    if (c == u'\'' || c == u'"') {
        const qsizetype end = sql.indexOf(c, position + 1);
        return end < 0 ? sql.size() : end + 1;
    }
    if (sql.mid(position, 2) == u"--"_s) {
        const qsizetype end = sql.indexOf(u'\n', position);
        return end < 0 ? sql.size() : end + 1;
    }
    if (sql.mid(position, 2) == u"/*"_s) {
        const qsizetype end = sql.indexOf(u"*/"_s, position + 2);
        return end < 0 ? sql.size() : end + 2;
    }
    return position;
}

QString uniqueCursorName()
{
    static std::atomic<int> counter{0};
    return u"cv_rows_"_s + QString::number(++counter);
}

} // namespace

// PostgreSQL must know the type of every parameter it is given, and learns it only from where
// the statement uses it: parameters the statement leaves out (a row set's position when its
// order value is empty) are not sent, and the others are numbered densely.
QString withNumberedParameters(const QString& sql, QList<int>& slots)
{
    struct Use
    {
        qsizetype start;
        qsizetype end;
        int number;
    };
    std::vector<Use> uses;
    int nextUnnumbered = 1;
    for (qsizetype i = 0; i < sql.size();) {
        if (const qsizetype end = skipQuotedOrComment(sql, i); end != i) {
            i = end;
            continue;
        }
        if (sql[i] != u'?') {
            ++i;
            continue;
        }
        qsizetype digitsEnd = i + 1;
        while (digitsEnd < sql.size() && sql[digitsEnd].isDigit())
            ++digitsEnd;
        const int number = digitsEnd > i + 1 ? QStringView(sql).mid(i + 1, digitsEnd - i - 1).toInt()
                                              : nextUnnumbered;
        nextUnnumbered = number + 1;
        uses.push_back({i, digitsEnd, number});
        i = digitsEnd;
    }
    int highest = 0;
    for (const Use& use : uses)
        highest = std::max(highest, use.number);
    slots = QList<int>(highest, 0);
    for (const Use& use : uses)
        slots[use.number - 1] = 1;
    for (int number = 0, slot = 0; number < highest; ++number)
        slots[number] = slots[number] != 0 ? ++slot : 0;
    QString numbered;
    qsizetype copied = 0;
    for (const Use& use : uses) {
        numbered += QStringView(sql).mid(copied, use.start - copied);
        numbered += u'$' + QString::number(slots[use.number - 1]);
        copied = use.end;
    }
    return numbered + QStringView(sql).mid(copied);
}

PgStatement::PgStatement(PgConnection& connection, const QString& sql, StatementRows rows)
    : m_connection(connection), m_rows(rows)
{
    m_sql = withNumberedParameters(sql, m_slots);
    int sent = 0;
    for (const int slot : std::as_const(m_slots))
        sent = std::max(sent, slot);
    m_parameters.resize(sent);
}

PgStatement::~PgStatement()
{
    closeCursor();
}

void PgStatement::bind(int index, const QVariant& value)
{
    if (index >= 1 && index <= m_slots.size() && m_slots[index - 1] > 0)
        m_parameters[m_slots[index - 1] - 1] = value;
}

PgStatement::Step PgStatement::step()
{
    if (!m_sent && !send())
        return Step::Failed;
    if (m_row + 1 >= m_result.rowCount() && !m_cursor.isEmpty() && !m_lastBlock && !fetchBlock())
        return Step::Failed;
    if (m_row + 1 < m_result.rowCount()) {
        ++m_row;
        return Step::Row;
    }
    m_row = m_result.rowCount();
    closeCursor();
    return Step::Done;
}

// A cursor needs a transaction of its own; a reader's session holds none between statements.
bool PgStatement::send()
{
    m_sent = true;
    m_row = -1;
    m_lastBlock = false;
    if (m_rows == StatementRows::AllAtOnce) {
        m_result = m_connection.execOne(m_sql, m_parameters);
        return m_result.ok();
    }
    m_result = m_connection.execOne(u"BEGIN"_s);
    if (!m_result.ok())
        return false;
    const QString cursor = uniqueCursorName();
    m_result = m_connection.execOne(u"DECLARE "_s + cursor + u" NO SCROLL CURSOR FOR "_s + m_sql, m_parameters);
    if (!m_result.ok()) {
        m_connection.execOne(u"ROLLBACK"_s);
        return false;
    }
    m_cursor = cursor;
    return fetchBlock();
}

bool PgStatement::fetchBlock()
{
    m_result = m_connection.execOne(u"FETCH FORWARD "_s + QString::number(rowsPerBlock) + u" FROM "_s + m_cursor);
    m_row = -1;
    m_lastBlock = m_result.rowCount() < rowsPerBlock;
    if (m_result.ok())
        return true;
    closeCursor();
    return false;
}

void PgStatement::closeCursor()
{
    if (m_cursor.isEmpty())
        return;
    m_cursor.clear();
    // Ending the transaction closes the cursor; a reader's transaction has nothing to keep.
    m_connection.execOne(u"ROLLBACK"_s);
}

void PgStatement::reset()
{
    closeCursor();
    m_sent = false;
    m_row = -1;
    m_result = PgResult();
}

const PgResult& PgStatement::columns() const
{
    if (m_sent && m_result.columnCount() > 0)
        return m_result;
    if (!m_description.hasResult())
        m_description = m_connection.describe(m_sql);
    return m_description;
}

QVariant PgStatement::value(int column) const
{
    if (m_row < 0 || m_row >= m_result.rowCount() || column < 0 || column >= m_result.columnCount() ||
        m_result.isNull(m_row, column))
        return {};
    const QString text = m_result.text(m_row, column);
    switch (m_result.columnType(column)) {
    case int2Oid:
    case int4Oid:
    case int8Oid:
        return text.toLongLong();
    case float4Oid:
    case float8Oid:
    case numericOid:
        return text.toDouble();
    case boolOid:
        return qlonglong(text == u"t"_s ? -1 : 0);
    default:
        return text;
    }
}

} // namespace corvane
