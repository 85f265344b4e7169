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

DbResult<BoundConditions> bindConditions(const TableLayout& table, const QList<Condition>& conditions,
                                         int firstParameter)
{
    QStringList texts;
    BoundConditions bound;
    for (const Condition& condition : conditions) {
        const int index = table.indexOf(condition.column);
        if (index < 0)
            return {{}, itemNotFoundError(condition.column)};
        const std::optional<QVariant> stored = toStoredValue(condition.value, table.kinds[index]);
        if (!stored)
            return {{}, {DbErrorNumber::TypeMismatch, u"Data type mismatch in criteria expression."_s}};
        texts.append(quotedIdentifier(table.columns[index]) + u' ' +
                     comparisonOperator(condition.comparison) + u" ?"_s +
                     QString::number(firstParameter + bound.values.size()));
        bound.values.append(*stored);
    }
    bound.sql = texts.join(u" AND "_s);
    return {bound, {}};
}

} // namespace corvane
