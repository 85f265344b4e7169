#pragma once

#include "core/db/JetTestDatabase.h"
#include "mock/PostgresConnection.h"
#include "mock/PrivatePostgresServer.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace corvane::test {

// The SQL file that defines Jet's functions on PostgreSQL.
QString jetFunctionsScript();

// What a value looks like to a Jet user: texts as they are, numbers as Jet writes them, dates
// in their stored ISO form, truth as 1 or 0, NULL as "NULL", a failure as "error: <message>".
QString shownBySqlite(sqlite3* db, const QString& sql);
QString cellShownBySqlite(sqlite3_stmt* statement, int column);
QString cellShownByPostgres(unsigned int type, const std::optional<QString>& cell);
QString shownByPostgres(PostgresConnection& connection, const QString& sql);

// A call with dates written {2026-12-06}, {2026-12-06 10:05:09} or {10:05:09}, as each engine
// holds such a value: SQLite's stored text, PostgreSQL's date or timestamp (a time alone on
// day 0).
QString forSqlite(const QString& call);
QString forPostgres(const QString& call);

// One private server for the tests of a suite, with a database "jet" owned by a role that is no
// superuser, which loaded Jet's functions; and cv.mdb's functions on an in-memory SQLite
// connection. The SQLite functions are the reference.
class BothEngines : public ::testing::Test
{
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    static QString owner() { return QStringLiteral("cvtestowner"); }
    static QString ownerPassword() { return QStringLiteral("Owner-pw-1"); }
    static QString connectionString();

    // Runs "SELECT <call>" on both engines and fails the test naming every call whose results
    // differ.
    void expectSameOnBoth(const QStringList& calls);

    // Plain statements, to set up tables on each side.
    void onSqlite(const char* sql) { sqlite_.execute(sql); }
    void onPostgres(const QString& sql);

    PostgresConnection& postgres() { return *connection_; }
    sqlite3* sqlite() { return sqlite_.handle(); }

    static inline std::unique_ptr<PrivatePostgresServer> server_;
    static inline QString setupError_;

private:
    JetTestDatabase sqlite_;
    std::unique_ptr<PostgresConnection> connection_;
};

} // namespace corvane::test
