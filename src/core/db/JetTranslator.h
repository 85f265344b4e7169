#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace corvane {

// The engines a Jet statement is written out for: cv.mdb's SQLite, or PostgreSQL with the
// tables of data/postgresql/tables.sql and the functions of data/postgresql/jet-functions.sql.
enum class JetEngine
{
    Sqlite,
    Postgres,
};

// A statement in the Jet dialect turned into the engine's SQL, or the reason it cannot be.
struct JetTranslation
{
    QString sql;          // the engine's statement when ok()
    long errorNumber = 0; // as the database reports errors: number and description
    QString errorDescription;
    // For a sorted SELECT whose every row is one row of one table (no join, grouping, DISTINCT,
    // TOP, aggregate or union): the statement with that row's rowid (on PostgreSQL the table's
    // hidden column rowid) as a last column, cv_rowid,
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
// description rather than run with another meaning. Both engines get the same parse, so a
// statement fails on both or on neither, with the same description.
JetTranslation translateJet(const QString& statement, const TableColumns& columnsOf = {},
                            JetEngine engine = JetEngine::Sqlite);

} // namespace corvane
