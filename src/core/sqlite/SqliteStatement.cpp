#include "core/sqlite/SqliteStatement.h"

#include "core/common/StoredDateTexts.h"
#include "core/common/Utf8Text.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>

#include <sqlite3.h>

#include <string_view>
#include <utility>

namespace corvane {

namespace {

// True unless the rest is only blanks, semicolons and comments.
bool holdsAnotherStatement(sqlite3* db, const char* tail)
{
    sqlite3_stmt* next = nullptr;
    const int rc = sqlite3_prepare_v2(db, tail, -1, &next, nullptr);
    sqlite3_finalize(next);
    return rc != SQLITE_OK || next != nullptr;
}

} // namespace

QString quotedIdentifier(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

SqliteStatement::~SqliteStatement()
{
    finalize();
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : m_statement(std::exchange(other.m_statement, nullptr)), m_bound(std::move(other.m_bound))
{}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept
{
    if (this != &other) {
        finalize();
        m_statement = std::exchange(other.m_statement, nullptr);
        m_bound = std::move(other.m_bound);
    }
    return *this;
}

int SqliteStatement::prepare(sqlite3* db, const QString& sql, Use use)
{
    finalize();
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = nullptr;
    const unsigned int flags = use == Use::Often ? SQLITE_PREPARE_PERSISTENT : 0;
    const int rc = sqlite3_prepare_v3(db, utf8.constData(), static_cast<int>(utf8.size() + 1), flags,
                                      &m_statement, &tail);
    if (rc != SQLITE_OK)
        return rc;
    if (m_statement == nullptr)
        return noStatement;
    if (holdsAnotherStatement(db, tail)) {
        finalize();
        return textAfterStatement;
    }
    m_bound.resize(static_cast<std::size_t>(parameterCount()));
    return SQLITE_OK;
}

void SqliteStatement::finalize()
{
    sqlite3_finalize(m_statement);
    m_statement = nullptr;
    m_bound.clear();
}

void SqliteStatement::bind(int index, const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
        bindNull(index);
        break;
    case QMetaType::QString:
        bindText(index, *static_cast<const QString*>(value.constData()));
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::Bool:
        bindInteger(index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        rebind(index, BoundParameter::Kind::Other);
        sqlite3_bind_double(m_statement, index, value.toDouble());
        break;
    case QMetaType::QDate:
        bindText(index, storedDateText(value.toDate()));
        break;
    case QMetaType::QDateTime:
        bindText(index, storedDateTimeText(value.toDateTime()));
        break;
    case QMetaType::QByteArray: {
        rebind(index, BoundParameter::Kind::Other);
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob(m_statement, index, bytes.constData(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT);
        break;
    }
    default:
        bindText(index, value.toString());
        break;
    }
}

// Bound as UTF-8, the database's own encoding: SQLite would otherwise convert every UTF-16 text.
void SqliteStatement::bindText(int index, QStringView text)
{
    m_encoded.clear();
    appendUtf8(m_encoded, text);
    bindUtf8(index, m_encoded.data(), static_cast<int>(m_encoded.size()));
}

// SQLite reads the parameter's own copy while stepping; it is rewritten only when the parameter is
// bound again.
void SqliteStatement::bindUtf8(int index, const char* text, int size)
{
    const std::string_view utf8(text, static_cast<std::size_t>(size));
    const auto slot = static_cast<std::size_t>(index - 1);
    if (slot >= m_bound.size())
        return;
    if (m_bound[slot].kind == BoundParameter::Kind::Text && m_bound[slot].utf8 == utf8)
        return;
    BoundParameter& bound = *rebind(index, BoundParameter::Kind::Text);
    bound.utf8.assign(utf8);
    sqlite3_bind_text(m_statement, index, bound.utf8.data(), size, SQLITE_STATIC);
}

void SqliteStatement::bindInteger(int index, qint64 value)
{
    const auto slot = static_cast<std::size_t>(index - 1);
    if (slot < m_bound.size() && m_bound[slot].kind == BoundParameter::Kind::Integer &&
        m_bound[slot].integer == value)
        return;
    if (BoundParameter* bound = rebind(index, BoundParameter::Kind::Integer))
        bound->integer = value;
    sqlite3_bind_int64(m_statement, index, value);
}

void SqliteStatement::bindNull(int index)
{
    const auto slot = static_cast<std::size_t>(index - 1);
    if (slot < m_bound.size() && m_bound[slot].kind == BoundParameter::Kind::Null)
        return;
    rebind(index, BoundParameter::Kind::Null);
    sqlite3_bind_null(m_statement, index);
}

// The parameter about to be bound anew, as what it will hold; null when there is no such
// parameter.
SqliteStatement::BoundParameter* SqliteStatement::rebind(int index, BoundParameter::Kind kind)
{
    const auto slot = static_cast<std::size_t>(index - 1);
    if (slot >= m_bound.size())
        return nullptr;
    m_bound[slot].kind = kind;
    return &m_bound[slot];
}

int SqliteStatement::parameterCount() const
{
    return sqlite3_bind_parameter_count(m_statement);
}

int SqliteStatement::step()
{
    return sqlite3_step(m_statement);
}

int SqliteStatement::stepToEnd()
{
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(m_statement);
    return rc;
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_statement);
}

int SqliteStatement::columnCount() const
{
    return sqlite3_column_count(m_statement);
}

QString SqliteStatement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_statement, column));
}

QVariant SqliteStatement::value(int column) const
{
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(sqlite3_column_int64(m_statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_statement, column));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(m_statement, column)));
    }
    case SQLITE_BLOB: {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
        return QVariant(QByteArray(bytes, sqlite3_column_bytes(m_statement, column)));
    }
    default:
        return {};
    }
}

qint64 SqliteStatement::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

QByteArray SqliteStatement::bytes(int column) const
{
    const auto* data = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
    return QByteArray(data, sqlite3_column_bytes(m_statement, column));
}

} // namespace corvane
