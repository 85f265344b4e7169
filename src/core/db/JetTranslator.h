#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace corvane {

// A statement in the Jet dialect turned into SQLite, or the reason it cannot be.
struct JetTranslation
{
    QString sql;              // the SQLite statement when ok()
    long errorNumber = 0;     // as the database reports errors: number and description
    QString errorDescription;
    // For a sorted SELECT whose every row is one row of one table (no join, grouping, DISTINCT,
    // TOP, aggregate or union): the statement with that row's rowid as a last column, cv_rowid,
    // in the same order, so that a reader can find each row of it again by rowid. Else empty.
    QString rowKeyedSql;

    bool ok() const { return errorNumber == 0; }
};

// The columns of a table in table order, nullopt when there is no such table: what "*"
// stands for where the translation needs to know, as TOP with ORDER BY a column number.
using TableColumns = std::function<std::optional<QStringList>(const QString& table)>;

// The one translator every statement passes through: the fixed statements of the
// program and whatever a user types. Literals and names inside quotes are never
// touched; a statement that cannot be translated fails with a number and a
// description rather than run with another meaning.
JetTranslation translateJet(const QString& statement, const TableColumns& columnsOf = {});

} // namespace corvane
