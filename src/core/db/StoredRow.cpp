#include "core/db/StoredRow.h"

#include "core/common/Utf8Text.h"
#include "core/sqlite/SqliteStatement.h"

#include <QString>

namespace corvane {

void StoredRow::reset(qsizetype columns)
{
    m_fields.assign(static_cast<std::size_t>(columns), Field{});
    m_texts.clear();
}

// Texts and whole numbers already in their stored form, most of the scan's values, are taken
// without a copy of the value.
bool StoredRow::set(qsizetype column, const QVariant& value, ColumnKind kind)
{
    const int type = value.typeId();
    if ((kind == ColumnKind::Text && type == QMetaType::QString) ||
        (kind == ColumnKind::Integer && type == QMetaType::LongLong)) {
        setStored(column, value);
        return true;
    }
    QVariant stored = value;
    const bool converted = convertToStoredValue(stored, kind);
    setStored(column, stored);
    return converted;
}

bool StoredRow::set(qsizetype column, const QString& text, ColumnKind kind)
{
    if (kind != ColumnKind::Text)
        return set(column, QVariant(text), kind);
    setText(column, text);
    return true;
}

// A stored value is null, a whole number or a text.
void StoredRow::setStored(qsizetype column, const QVariant& stored)
{
    Field& field = m_fields[static_cast<std::size_t>(column)];
    switch (stored.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
        field = Field{};
        break;
    case QMetaType::LongLong:
        field = Field{Type::Integer, 0, stored.toLongLong()};
        break;
    case QMetaType::QString:
        setText(column, *static_cast<const QString*>(stored.constData()));
        break;
    default:
        setText(column, stored.toString());
        break;
    }
}

// A column set twice keeps the text of the first in the buffer, unused.
void StoredRow::setText(qsizetype column, QStringView text)
{
    const std::size_t start = m_texts.size();
    appendUtf8(m_texts, text);
    m_fields[static_cast<std::size_t>(column)] =
        Field{Type::Text, static_cast<int>(m_texts.size() - start), static_cast<qint64>(start)};
}

void StoredRow::bindTo(SqliteStatement& statement) const
{
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const Field& field = m_fields[i];
        const int index = static_cast<int>(i) + 1;
        switch (field.type) {
        case Type::Null:
            statement.bindNull(index);
            break;
        case Type::Integer:
            statement.bindInteger(index, field.value);
            break;
        case Type::Text:
            statement.bindUtf8(index, m_texts.data() + field.value, field.size);
            break;
        }
    }
}

QVariantList StoredRow::values() const
{
    QVariantList values;
    values.reserve(static_cast<qsizetype>(m_fields.size()));
    for (const Field& field : m_fields) {
        switch (field.type) {
        case Type::Null:
            values.append(QVariant());
            break;
        case Type::Integer:
            values.append(QVariant(static_cast<qlonglong>(field.value)));
            break;
        case Type::Text:
            values.append(QVariant(QString::fromUtf8(m_texts.data() + field.value, field.size)));
            break;
        }
    }
    return values;
}

} // namespace corvane
