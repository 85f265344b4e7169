#include "EmulatedNetwork.h"
#include "SambaRecords.h"

#include "core/netware/NetWareConfiguration.h"
#include "core/netware/samba/SambaShares.h"

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

const QByteArray SmbConf = "[global]\n"
                           "  full_audit:prefix = %u|%I|%S\n"
                           "  vfs objects = full_audit\n"
                           "[data]\n"
                           "  path = @ROOT@/share/\n"
                           "  vfs objects = full_audit recycle\n"
                           "  full_audit:syslog = false\n"
                           "  recycle:repository = .recycle/%U\n"
                           "  recycle:keeptree = yes\n"
                           "  Recycle:Versions = Yes\n"
                           "[public]\n"
                           "  path = @ROOT@/public\n"
                           "[homes]\n"
                           "  path = /home/%U\n"
                           "[printers]\n"
                           "  path = /var/spool/samba\n"
                           "  printable = yes\n"
                           "[x]\n"
                           "  path = @ROOT@/x\n"
                           "  vfs objects = \\\n"
                           "      recycle\n";

// smb.conf in the folder, its shares' folders inside it.
QString writeSmbConf(const QTemporaryDir& folder)
{
    QFile conf(folder.path() + u"/smb.conf"_s);
    EXPECT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write(QByteArray(SmbConf).replace("@ROOT@", QFile::encodeName(folder.path())));
    return conf.fileName();
}

void expectShares(const QList<SambaShare>& shares, const QByteArray& root)
{
    ASSERT_EQ(shares.size(), 3);
    const SambaShare& data = shares[0];
    EXPECT_EQ(data.name, "data");
    EXPECT_EQ(data.path, root + "/share");
    EXPECT_TRUE(data.fullAudit);
    EXPECT_FALSE(data.auditToSyslog);
    EXPECT_EQ(data.auditPrefix, "%u|%I|%S");
    EXPECT_TRUE(data.recycle);
    EXPECT_EQ(data.recycleRepository, ".recycle/%U");
    EXPECT_TRUE(data.keepTree);
    EXPECT_TRUE(data.versions);
    const SambaShare& global = shares[1]; // the global vfs objects and prefix apply
    EXPECT_EQ(global.name, "public");
    EXPECT_TRUE(global.fullAudit);
    EXPECT_TRUE(global.auditToSyslog);
    EXPECT_FALSE(global.recycle);
    EXPECT_EQ(shares[2].name, "x");
    EXPECT_TRUE(shares[2].recycle);
    EXPECT_FALSE(shares[2].fullAudit);
}

TEST(SambaShares, ReadsDiskSharesThroughTestparmAndByHand)
{
    QTemporaryDir folder;
    const QByteArray root = QFile::encodeName(folder.path());
    const QString conf = writeSmbConf(folder);
    const SambaSharesRead byTestparm = readSambaShares(conf);
    ASSERT_TRUE(byTestparm.error.isEmpty()) << byTestparm.error.toStdString();
    expectShares(byTestparm.shares, root);
    const SambaSharesRead byHand = readSambaShares(conf, folder.path() + u"/no-testparm"_s);
    ASSERT_TRUE(byHand.error.isEmpty()) << byHand.error.toStdString();
    expectShares(byHand.shares, root);
    EXPECT_FALSE(readSambaShares(folder.path() + u"/missing.conf"_s).error.isEmpty());
}

// Anonymous guests get in where the share lets them, and so do logons that fail where they are
// mapped to the guest account.
TEST(SambaShares, TellsWhichSharesLetGuestsIn)
{
    QTemporaryDir folder;
    const QByteArray shares = "[open]\n  path = /srv/open\n  guest ok = yes\n"
                              "[public]\n  path = /srv/public\n  Public = Yes\n"
                              "[closed]\n  path = /srv/closed\n";
    const QByteArray mapped = "[global]\n  map to guest = Bad User\n  guest account = smbguest\n" + shares;
    QFile conf(folder.path() + u"/smb.conf"_s);
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write(mapped);
    conf.close();
    const SambaSharesRead byTestparm = readSambaShares(conf.fileName());
    ASSERT_TRUE(byTestparm.error.isEmpty()) << byTestparm.error.toStdString();
    for (const QList<SambaShare>& read : {byTestparm.shares, parseSambaConfiguration(mapped)}) {
        ASSERT_EQ(read.size(), 3);
        EXPECT_TRUE(read[0].guestsAllowed);
        EXPECT_TRUE(read[1].guestsAllowed);
        EXPECT_FALSE(read[2].guestsAllowed);
        EXPECT_TRUE(read[0].failedLogonsAsGuests);
        EXPECT_EQ(read[0].guestAccount, "smbguest");
    }
    const QList<SambaShare> unmapped = parseSambaConfiguration(shares);
    ASSERT_EQ(unmapped.size(), 3);
    EXPECT_TRUE(unmapped[0].guestsAllowed);
    EXPECT_FALSE(unmapped[0].failedLogonsAsGuests);
    EXPECT_EQ(unmapped[0].guestAccount, "nobody");
}

TEST(SambaShares, ReadsTheConfigurationOfARealCapture)
{
    const QList<SambaShare> shares = parseSambaConfiguration(test::sambaRecordsFile("smb-share-prefix.conf"));
    ASSERT_EQ(shares.size(), 1);
    EXPECT_EQ(shares[0].path, "@ROOT@/share");
    EXPECT_EQ(shares[0].auditPrefix, "%u|%I|%S");
    EXPECT_TRUE(shares[0].recycle && shares[0].keepTree && shares[0].versions);
}

TEST(SambaShares, ServerTakesItsVolumesFromTheShares)
{
    QTemporaryDir folder;
    const QByteArray root = QFile::encodeName(folder.path());
    writeSmbConf(folder);
    const auto load = [&folder](const QByteArray& text) {
        QFile file(folder.path() + u"/netware.conf"_s);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
        return NetWareConfiguration::load(file.fileName());
    };
    const auto loaded = load("[server FILES]\nversion = 4.11\nsamba config = smb.conf\n"
                             "audit source = smbd-log logs/log.smbd\naudit source = journal\n"
                             "volume OWN = own\n[drives]\nG = FILES/DATA\n");
    ASSERT_TRUE(loaded.configuration) << loaded.error.toStdString();
    const NetWareServer* server = loaded.configuration->server("FILES");
    ASSERT_NE(server, nullptr);
    ASSERT_EQ(server->volumes.size(), 3);
    EXPECT_FALSE(server->volume("OWN")->samba);
    const NetWareVolume* data = server->volume("DATA");
    ASSERT_TRUE(data && data->samba);
    EXPECT_EQ(data->root, root + "/share");
    EXPECT_EQ(data->samba->storeFile, folder.path() + u"/netware-audit/FILES/DATA.sqlite"_s);
    ASSERT_EQ(data->samba->sources.size(), 2);
    EXPECT_EQ(data->samba->sources[0].text(), u"smbd-log "_s + folder.path() + u"/logs/log.smbd"_s);
    EXPECT_EQ(data->samba->sources[1].text(), u"journal"_s);
    ASSERT_TRUE(server->volume("PUBLIC") && server->volume("X") == nullptr); // "X" names no volume
    EXPECT_TRUE(loaded.configuration->localPath(u"G:\\a"_s));

    const auto chosen = load("[server FILES]\nversion = 4\nsamba config = smb.conf\nsamba shares = Public\n"
                             "audit store = /var/tmp/store\n");
    ASSERT_TRUE(chosen.configuration) << chosen.error.toStdString();
    ASSERT_EQ(chosen.configuration->server("FILES")->volumes.size(), 1);
    EXPECT_EQ(chosen.configuration->server("FILES")->volumes[0].samba->storeFile,
              u"/var/tmp/store/FILES/PUBLIC.sqlite"_s);

    for (const QByteArray& wrong :
         {QByteArray("[server F]\nversion = 4\nsamba config = smb.conf\nsamba shares = nothere\n"),
          QByteArray("[server F]\nversion = 4\nsamba config = smb.conf\nsamba shares = x\n"),
          QByteArray("[server F]\nversion = 4\nsamba config = smb.conf\naudit source = syslog\n"),
          QByteArray("[server F]\nversion = 4\nsamba config = smb.conf\naudit source = ftp x\n"),
          QByteArray("[server F]\nversion = 4\naudit source = journal\n"),
          QByteArray("[server F]\nversion = 4\nsamba config = missing.conf\n")}) {
        const auto refused = load(wrong);
        EXPECT_FALSE(refused.configuration) << wrong.constData();
        EXPECT_TRUE(refused.error.contains(u"netware.conf:"_s)) << refused.error.toStdString();
    }
}

} // namespace
} // namespace corvane
