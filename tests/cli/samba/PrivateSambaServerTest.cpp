#include "SambaShareFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

class SambaShareTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { SuiteSambaServer::start(); }
    static void TearDownTestSuite() { SuiteSambaServer::stop(); }
    void SetUp() override { SuiteSambaServer::expectRunning(); }
};

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// What the scans rely on from the server: users edit each other's files, deletions of every user
// land in the recycle repository, and each action is in the log with the user who did it.
TEST_F(SambaShareTest, TwoUsersShareFilesAndEveryActionIsAudited)
{
    ASSERT_TRUE(SuiteSambaServer::get().writeClientFile(u"alice.txt"_s, "written by alice\n"));
    ASSERT_TRUE(SuiteSambaServer::get().writeClientFile(u"bob.txt"_s, "rewritten by bob\n"));
    SuiteSambaServer::asUser(u"cvtestalice"_s, u"put alice.txt shared.txt; mkdir sub; put alice.txt sub/gone.txt"_s);
    SuiteSambaServer::asUser(u"cvtestbob"_s, u"put bob.txt shared.txt; rm sub/gone.txt"_s);
    SuiteSambaServer::asUser(u"cvtestalice"_s, u"rename .recycle/cvtestbob/sub/gone.txt sub/back.txt"_s);

    const QDir share(SuiteSambaServer::get().sharePath());
    EXPECT_EQ(contentsOf(share.filePath(u"shared.txt"_s)), "rewritten by bob\n");
    EXPECT_EQ(contentsOf(share.filePath(u"sub/back.txt"_s)), "written by alice\n");
    EXPECT_FALSE(QFileInfo::exists(share.filePath(u"sub/gone.txt"_s)));

    const QByteArray log = contentsOf(SuiteSambaServer::get().logPath());
    const QByteArray root = SuiteSambaServer::get().sharePath().toUtf8();
    for (const QByteArray& record : QByteArrayList{
             "cvtestalice|127.0.0.1|mkdirat|ok|" + root + "/sub",
          "cvtestbob|127.0.0.1|pwrite_send|ok|" + root + "/shared.txt",
          "cvtestbob|127.0.0.1|unlinkat|ok|" + root + "/sub/gone.txt",
          "cvtestalice|127.0.0.1|renameat|ok|" + root + "/.recycle/cvtestbob/sub/gone.txt|" + root + "/sub/back.txt"})
        EXPECT_TRUE(log.contains(record)) << record.constData();
}

TEST(PrivateSambaServer, StopsItsWholeProcessGroup)
{
    PrivateSambaServer server;
    ASSERT_TRUE(server.running()) << server.error().toStdString();
    ASSERT_TRUE(server.client(u"cvtestalice"_s, u"ls"_s).succeeded());
    const qint64 leader = server.pid();
    EXPECT_EQ(server.stop(), QString());
    EXPECT_NE(::kill(-pid_t(leader), 0), 0);
}

} // namespace
} // namespace corvane::test
