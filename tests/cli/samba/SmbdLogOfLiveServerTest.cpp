#include "mock/PrivateSambaServer.h"

#include "core/netware/samba/AuditTrailReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

// smbd's own log as an audit source, read while smbd writes it: a private server that also
// speaks SMB1 with Unix extensions, so that names may hold newlines.
class SmbdLogOfLiveServerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        PrivateSambaServer::Options options;
        options.globalLines = {u"server min protocol = NT1"_s};
        server = std::make_unique<PrivateSambaServer>(options);
    }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(server->running()) << server->error().toStdString();
        ASSERT_TRUE(store.isValid());
        ASSERT_TRUE(server->writeClientFile(u"x"_s, "text\n"));
        settings.share.name = server->shareName().toUtf8();
        settings.share.path = QFile::encodeName(server->sharePath());
        settings.share.auditPrefix = "%u|%I";
        settings.share.recycle = true;
        settings.share.recycleRepository = ".recycle/%U";
        settings.share.keepTree = true;
        settings.storeFile = store.filePath(u"DATA.sqlite"_s);
        settings.sources = {AuditSource{AuditSource::Kind::SmbdLog, server->logPath()}};
    }

    static void asAlice(const QString& commands)
    {
        PrivateSambaServer::ClientLogon smb1;
        smb1.protocol = u"NT1"_s;
        const PrivateSambaServer::ClientRun run = server->client(u"cvtestalice"_s, commands, smb1);
        ASSERT_TRUE(run.succeeded()) << commands.toStdString() << "\n" << run.output.constData();
    }

    AuditReading read() { return readAuditTrail(u"FILES/DATA"_s, settings); }

    QHash<QByteArray, PathFacts> facts() const
    {
        AuditStore known;
        EXPECT_TRUE(known.openForReading(settings.storeFile));
        return known.allFacts();
    }

    static inline std::unique_ptr<PrivateSambaServer> server;
    QTemporaryDir store;
    SambaVolumeSettings settings;
};

// smbd writes a name's later lines indented like the first: the name read is the name on disk.
TEST_F(SmbdLogOfLiveServerTest, NamesWithNewlinesAreReadAsOnDisk)
{
    asAlice(u"posix; put x \"nl\nx.txt\"; put x \"  sp\n  two.txt\"; put x \"e\n\nmpty\""_s);
    const AuditReading reading = read();
    EXPECT_TRUE(reading.problems.isEmpty()) << reading.problems.join(u"; "_s).toStdString();
    EXPECT_EQ(reading.unreadable, 0);
    const QHash<QByteArray, PathFacts> known = facts();
    for (const QByteArray& name : {QByteArray("nl\nx.txt"), QByteArray("  sp\n  two.txt"), QByteArray("e\n\nmpty")}) {
        EXPECT_TRUE(QFile::exists(server->sharePath() + u'/' + QFile::decodeName(name))) << name.constData();
        EXPECT_EQ(known.value(name).creator, "cvtestalice") << name.constData();
    }
}

// copytruncate of smbd's log while smbd runs: what came after the last reading is read from the
// copy, what smbd writes after the truncation from the log.
TEST_F(SmbdLogOfLiveServerTest, CopyTruncateOfTheLiveLogLosesNoRecord)
{
    asAlice(u"put x before.txt"_s);
    EXPECT_TRUE(read().problems.isEmpty());
    asAlice(u"put x copied.txt"_s);
    const QString copy = server->logPath() + u".1"_s;
    QFile::remove(copy);
    ASSERT_TRUE(QFile::copy(server->logPath(), copy));
    ASSERT_TRUE(QFile::resize(server->logPath(), 0));
    asAlice(u"put x after.txt"_s);
    const AuditReading reading = read();
    EXPECT_TRUE(reading.problems.isEmpty()) << reading.problems.join(u"; "_s).toStdString();
    const QHash<QByteArray, PathFacts> known = facts();
    for (const char* name : {"before.txt", "copied.txt", "after.txt"})
        EXPECT_EQ(known.value(name).creator, "cvtestalice") << name;
}

} // namespace
} // namespace corvane::test
