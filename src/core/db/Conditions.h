#pragma once

#include "core/db/DbResult.h"
#include "core/db/StoredValues.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace corvane {

struct TableLayout;

enum class Comparison
{
    Equal,
    NotEqual,
    Less,
    LessOrEqual,
    Greater,
    GreaterOrEqual
};

// "column <comparison> value" with the value bound as a parameter, never pasted into the
// text, so a directory name with a quote in it is just a name. The value is converted to
// the column's stored form first (a QDate against a DATE column, a QDateTime against a
// DATETIME one); texts compare without regard to case, as the columns collate.
struct Condition
{
    QString column;
    Comparison comparison = Comparison::Equal;
    QVariant value;
};

struct BoundConditions
{
    QString sql;             // the conditions joined by AND
    QVariantList values;     // to bind from the first parameter number on
    QList<ColumnKind> kinds; // of the columns the values are compared with
};

// A condition's value in the stored form of its column's kind; one that does not convert is an
// error.
DbResult<QVariant> storedConditionValue(const QVariant& value, ColumnKind kind);

// An unknown column or a value that does not convert to the column's kind is an error.
DbResult<BoundConditions> bindConditions(const TableLayout& table, const QList<Condition>& conditions,
                                         int firstParameter);

} // namespace corvane
