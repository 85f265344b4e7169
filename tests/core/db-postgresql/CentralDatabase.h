#pragma once

#include "core/db/postgresql/PgConnection.h"
#include "mock/PostgresConnection.h"
#include "mock/PrivatePostgresServer.h"

#include <gtest/gtest.h>

#include <memory>

namespace corvane::test {

// One private server for a suite and, for each test, a fresh database owned by a role that is
// no superuser, as an administrator would give cv.
class CentralDatabase : public ::testing::Test
{
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    static QString owner() { return QStringLiteral("cvcentralowner"); }
    static QString ownerPassword() { return QStringLiteral("Central-pw-1"); }

    // The test's database as its owner, over the socket or TCP.
    QString connectionText() const;
    QString tcpConnectionText() const;
    QString database() const { return database_; }

    // Sets the database up for the station, failing the test on an error.
    void initialise(const QString& station);
    // The first value of a statement run by the server's admin in the test's database.
    QString adminValue(const QString& sql) const;

    static inline std::unique_ptr<PrivatePostgresServer> server_;
    static inline QString setupError_;

private:
    QString database_;
};

} // namespace corvane::test
