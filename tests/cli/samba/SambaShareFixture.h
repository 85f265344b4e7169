#pragma once

#include "mock/PrivateSambaServer.h"

#include <gtest/gtest.h>

#include <memory>

namespace corvane::test {

// One private smbd for every test of a suite; a test finds it started or fails saying why.
class SambaShareTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { server = std::make_unique<PrivateSambaServer>(); }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override { ASSERT_TRUE(server->running()) << server->error().toStdString(); }

    // Runs smbclient's commands as user and fails the test when one of them was refused.
    static void asUser(const QString& user, const QString& commands)
    {
        const PrivateSambaServer::ClientRun run = server->client(user, commands);
        ASSERT_TRUE(run.succeeded()) << user.toStdString() << ": " << commands.toStdString() << "\n"
                                     << run.output.constData();
    }

    static inline std::unique_ptr<PrivateSambaServer> server;
};

} // namespace corvane::test
