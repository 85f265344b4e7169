#include "mock/PrivateSambaServer.h"

#include "core/netware/samba/AuditTrailReader.h"
#include "core/netware/samba/SambaShares.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace corvane::test {
namespace {

// The trail of a private server's share as cv reads it: the share as testparm reads the
// server's configuration, its records from smbd's log, the store in a folder of the test's.
class SmbdTrail
{
public:
    explicit SmbdTrail(const PrivateSambaServer& server) : m_server(server) {}

    AuditReading read()
    {
        const SambaSharesRead read = readSambaShares(m_server.configPath());
        EXPECT_TRUE(read.error.isEmpty()) << read.error.toStdString();
        EXPECT_EQ(read.shares.size(), 1);
        if (read.shares.isEmpty())
            return {};
        SambaVolumeSettings settings;
        settings.share = read.shares.first();
        settings.sources = {AuditSource{AuditSource::Kind::SmbdLog, m_server.logPath()}};
        settings.storeFile = m_store.path() + u"/DATA.sqlite"_s;
        m_share = settings.share;
        return readAuditTrail(u"FILES/DATA"_s, settings);
    }

    QHash<QByteArray, PathFacts> facts() const
    {
        AuditStore store;
        EXPECT_TRUE(store.openForReading(m_store.path() + u"/DATA.sqlite"_s));
        return store.allFacts();
    }

    const SambaShare& share() const { return m_share; }

private:
    const PrivateSambaServer& m_server;
    QTemporaryDir m_store;
    SambaShare m_share;
};

void expectSucceeded(const PrivateSambaServer::ClientRun& run, const QString& commands)
{
    EXPECT_TRUE(run.succeeded()) << commands.toStdString() << "\n" << run.output.constData();
}

// SMB1 with Unix extensions takes "|" in names and "/" as the only separator: a user can make
// names that hold the share's own folder.
PrivateSambaServer::ClientRun asPosixUser(const PrivateSambaServer& server, const QString& user, const QString& commands)
{
    PrivateSambaServer::ClientLogon logon;
    logon.protocol = u"NT1"_s;
    return server.client(user, u"posix; "_s + commands, logon);
}

// mkdir commands for every folder of "NAME|SHARE", so that a file "NAME|SHARE/FILE" can be put.
QString foldersOf(const QString& name, const QString& sharePath)
{
    QString commands;
    QString folder = name + u'|';
    commands += u"mkdir "_s + folder + u"; "_s;
    for (const QString& part : sharePath.split(u'/', Qt::SkipEmptyParts)) {
        folder += u'/' + part;
        commands += u"mkdir "_s + folder + u"; "_s;
    }
    return commands;
}

PrivateSambaServer::Options nt1Server()
{
    PrivateSambaServer::Options options;
    options.globalLines = {u"server min protocol = NT1"_s};
    return options;
}

// alice makes decoys whose names hold the share folder, so that smbd logs
// "renameat|ok|S/v.txt|S/x|S/z" for her rename of "v.txt|S/x" to "z" while bob's v.txt is there.
void renameBehindADecoy(const PrivateSambaServer& server)
{
    const QString share = server.sharePath();
    ASSERT_TRUE(server.writeClientFile(u"a.txt"_s, "alice's\n"));
    ASSERT_TRUE(server.writeClientFile(u"b.txt"_s, "bob's\n"));
    const QString decoys = foldersOf(u"x"_s, share) + u"put a.txt x|"_s + share + u"/z; "_s + foldersOf(u"v.txt"_s, share) +
                           u"put a.txt v.txt|"_s + share + u"/x"_s;
    expectSucceeded(asPosixUser(server, u"cvtestalice"_s, decoys), decoys);
    expectSucceeded(server.client(u"cvtestbob"_s, u"put b.txt v.txt"_s), u"put b.txt v.txt"_s);
    const QString rename = u"rename v.txt|"_s + share + u"/x z"_s;
    expectSucceeded(asPosixUser(server, u"cvtestalice"_s, rename), rename);
}

TEST(AuditTrailOfSmbd, ARenameOfNamesHoldingTheShareFolderIsReadAsTheDiskShows)
{
    PrivateSambaServer server(nt1Server());
    ASSERT_TRUE(server.running()) << server.error().toStdString();
    renameBehindADecoy(server);
    const QByteArray share = QFile::encodeName(server.sharePath());
    ASSERT_TRUE(QFileInfo::exists(server.sharePath() + u"/z"_s));

    SmbdTrail trail(server);
    const AuditReading reading = trail.read();
    EXPECT_TRUE(reading.problems.isEmpty()) << reading.problems.join(u"; "_s).toStdString();
    EXPECT_EQ(reading.ambiguousRenames, 0);
    const QHash<QByteArray, PathFacts> facts = trail.facts();
    EXPECT_EQ(facts.value("v.txt").modifier, "cvtestbob");
    EXPECT_EQ(facts.value("z").creator, "cvtestalice");
    EXPECT_EQ(facts.value("z").modifier, "cvtestalice");
    const PathFacts decoy = facts.value("x|" + share + "/z");
    EXPECT_EQ(decoy.creator, "cvtestalice");
    EXPECT_EQ(decoy.modifier, "cvtestalice");
    EXPECT_FALSE(facts.contains("v.txt|" + share + "/x"));
}

TEST(AuditTrailOfSmbd, ARenameTheDiskCannotDecideLeavesBothNamesWithoutHistory)
{
    PrivateSambaServer server(nt1Server());
    ASSERT_TRUE(server.running()) << server.error().toStdString();
    renameBehindADecoy(server);
    // The old name is back and the decoy still there: both readings now fit what is on disk.
    const QString again = u"put a.txt v.txt|"_s + server.sharePath() + u"/x"_s;
    expectSucceeded(asPosixUser(server, u"cvtestalice"_s, again), again);
    const QByteArray share = QFile::encodeName(server.sharePath());

    SmbdTrail trail(server);
    const AuditReading reading = trail.read();
    EXPECT_EQ(reading.ambiguousRenames, 1);
    EXPECT_TRUE(reading.summary(u"FILES/DATA"_s).contains(u"1 renames that could be read more than one way"_s))
        << reading.summary(u"FILES/DATA"_s).toStdString();
    const QHash<QByteArray, PathFacts> facts = trail.facts();
    for (const QByteArray& path : QByteArrayList{"z", "v.txt", "x|" + share + "/z"})
        EXPECT_FALSE(facts.contains(path)) << path.constData();
    // What was recorded after the rename is known again.
    EXPECT_EQ(facts.value("v.txt|" + share + "/x").creator, "cvtestalice");
}

TEST(AuditTrailOfSmbd, GuestsAreRecordedAsTheGuestAccountNotAsTheNameTheyTyped)
{
    PrivateSambaServer::Options options;
    options.globalLines = {u"map to guest = bad user"_s};
    options.shareLines = {u"guest ok = yes"_s, u"full_audit:prefix = %U|%I|%S"_s};
    PrivateSambaServer server(options);
    ASSERT_TRUE(server.running()) << server.error().toStdString();
    ASSERT_TRUE(server.writeClientFile(u"a.txt"_s, "a guest's\n"));
    PrivateSambaServer::ClientLogon anything;
    anything.password = u"anything"_s;
    expectSucceeded(server.client(u"root"_s, u"put a.txt guest.txt"_s, anything), u"put a.txt guest.txt"_s);

    SmbdTrail trail(server);
    const AuditReading reading = trail.read();
    EXPECT_TRUE(trail.share().guestsAllowed);
    const PathFacts guest = trail.facts().value("guest.txt");
    EXPECT_EQ(guest.creator, "nobody");
    EXPECT_EQ(guest.modifier, "nobody");
    const QString summary = reading.summary(u"FILES/DATA"_s);
    EXPECT_TRUE(summary.contains(u"name users by %U, the name a client typed"_s)) << summary.toStdString();
    EXPECT_TRUE(summary.contains(u"lets guests in, so every user its records name is taken as its guest account nobody"_s))
        << summary.toStdString();
}

} // namespace
} // namespace corvane::test
