#include "core/db/Conditions.h"

#include "core/db/AuditDatabase.h"
#include "core/db/SqliteErrors.h"
#include "core/sqlite/SqliteStatement.h"

namespace corvane {

using namespace Qt::StringLiterals;

namespace {

QString comparisonOperator(Comparison comparison)
{
    switch (comparison) {
    case Comparison::Equal:
        return u"="_s;
    case Comparison::NotEqual:
        return u"<>"_s;
    case Comparison::Less:
        return u"<"_s;
    case Comparison::LessOrEqual:
        return u"<="_s;
    case Comparison::Greater:
        return u">"_s;
    case Comparison::GreaterOrEqual:
        return u">="_s;
    }
    return u"="_s;
}

} // namespace

DbResult<QVariant> storedConditionValue(const QVariant& value, ColumnKind kind)
{
    std::optional<QVariant> stored = toStoredValue(value, kind);
    if (!stored)
        return {{}, {DbErrorNumber::TypeMismatch, u"Data type mismatch in criteria expression."_s}};
    return {std::move(*stored), {}};
}

DbResult<BoundConditions> bindConditions(const TableLayout& table, const QList<Condition>& conditions,
                                         int firstParameter)
{
    QStringList texts;
    BoundConditions bound;
    for (const Condition& condition : conditions) {
        const int index = table.indexOf(condition.column);
        if (index < 0)
            return {{}, itemNotFoundError(condition.column)};
        const DbResult<QVariant> stored = storedConditionValue(condition.value, table.kinds[index]);
        if (!stored.ok())
            return {{}, stored.error};
        texts.append(quotedIdentifier(table.columns[index]) + u' ' +
                     comparisonOperator(condition.comparison) + u" ?"_s +
                     QString::number(firstParameter + bound.values.size()));
        bound.values.append(stored.value);
        bound.kinds.append(table.kinds[index]);
    }
    bound.sql = texts.join(u" AND "_s);
    return {bound, {}};
}

} // namespace corvane
