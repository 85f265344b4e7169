#pragma once

#include <QLatin1StringView>
#include <QStringView>

namespace corvane {

// What the translator knows of a value from the statement alone.
enum class JetValueKind
{
    Unknown, // a column, a subquery: anything
    Number,
    Text,
    Date,
};

// How a Jet function call is written in SQLite.
enum class JetCallForm
{
    Call,      // sqlName(arguments)
    Aggregate, // SQLite's own aggregate; COUNT also takes *
    Iif,       // CASE WHEN a THEN b ELSE c END
    Nz,        // COALESCE(a, b), with '' when b is left out
    IsNull,    // (a IS NULL)
};

struct JetFunctionRule
{
    QLatin1StringView jetName;
    int minArguments;
    int maxArguments;
    QLatin1StringView sqlName;
    JetValueKind result;
    JetCallForm form = JetCallForm::Call;
};

// The Jet functions the translator accepts; nullptr for any other name.
const JetFunctionRule* findJetFunction(QStringView name);

} // namespace corvane
