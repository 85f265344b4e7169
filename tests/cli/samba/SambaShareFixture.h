#pragma once

#include "mock/PrivateSambaServer.h"

#include <gtest/gtest.h>

#include <memory>

namespace corvane::test {

// One private smbd for every test of a suite: started by the suite's SetUpTestSuite, stopped by
// its TearDownTestSuite; a test finds it running or fails saying why.
struct SuiteSambaServer
{
    static void start() { server = std::make_unique<PrivateSambaServer>(); }
    static void stop() { server.reset(); }
    static PrivateSambaServer& get() { return *server; }
    static void expectRunning() { ASSERT_TRUE(server->running()) << server->error().toStdString(); }

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
