#pragma once

#include "core/db/StoredValues.h"

#include <QVariant>
#include <QVariantList>

#include <string>
#include <vector>

namespace corvane {

class SqliteStatement;

// One row's values in their stored form (see StoredValues), packed for appending: each column
// null, a whole number, or UTF-8 text kept in the row's one buffer. Once its buffers have room a
// row needs no allocation, and stepping it reads no QVariant: the scan makes several such rows a
// file on its own thread, and the insert thread only reads them.
class StoredRow
{
public:
    // Every column null again; the buffers keep their room.
    void reset(qsizetype columns);
    // Converts the value to the column's stored form; a value that does not convert leaves the
    // column null and gives false.
    bool set(qsizetype column, const QVariant& value, ColumnKind kind);
    // The same for a text, which a text column takes as it is: no QVariant is made of it.
    bool set(qsizetype column, const QString& text, ColumnKind kind);

    // Binds every column to the parameter of its number (plus one).
    void bindTo(SqliteStatement& statement) const;
    // The values as a read of the row gives them: texts as QString, whole numbers as qlonglong,
    // null for an empty column.
    QVariantList values() const;

private:
    enum class Type : quint8
    {
        Null,
        Integer,
        Text
    };
    struct Field
    {
        Type type = Type::Null;
        int size = 0;     // of the text
        qint64 value = 0; // the number, or where the text starts in the buffer
    };

    void setStored(qsizetype column, const QVariant& stored);
    void setText(qsizetype column, QStringView text);

    std::vector<Field> m_fields;
    std::string m_texts;
};

} // namespace corvane
