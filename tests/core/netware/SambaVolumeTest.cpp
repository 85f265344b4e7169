#include "EmulatedNetwork.h"

#include "core/netware/EmulatedVolume.h"
#include "core/netware/NetWareClient.h"
#include "core/netware/PackedDateTime.h"
#include "core/netware/samba/AuditTrailReader.h"
#include "core/netware/samba/SambaKnowledge.h"

#include <QDateTime>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

constexpr quint8 EveryEntry = NWConstant::AttributeHidden | NWConstant::AttributeSystem |
                              NWConstant::AttributeSubdirectory;

// A share with a recycle repository (.recycle/%U, keeptree, versions), its smbd log and store.
class Share
{
public:
    Share()
    {
        m_volume.name = "DATA";
        m_volume.root = QFile::encodeName(m_folder.path()) + "/share";
        SambaVolumeSettings& settings = *m_samba;
        settings.share.name = "data";
        settings.share.path = m_volume.root;
        settings.share.recycle = true;
        settings.share.recycleRepository = ".recycle/%U";
        settings.share.keepTree = true;
        settings.share.versions = true;
        settings.sources = {AuditSource{AuditSource::Kind::SmbdLog, m_folder.path() + u"/log.smbd"_s}};
        settings.storeFile = m_folder.path() + u"/store/DATA.sqlite"_s;
        m_volume.samba = m_samba;
        QDir().mkpath(QFile::decodeName(m_volume.root));
    }

    QByteArray path(const QByteArray& relative) const { return m_volume.root + '/' + relative; }
    void write(const QByteArray& relative, const QByteArray& contents = "data") const
    {
        const QByteArray full = path(relative);
        QDir().mkpath(QFile::decodeName(full.left(full.lastIndexOf('/'))));
        QFile file(QFile::decodeName(full));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    // A record as smbd writes it to its log, seconds after now.
    void log(const QByteArray& record, qint64 secondsFromNow = 0)
    {
        const QDateTime time = QDateTime::currentDateTime().addSecs(secondsFromNow);
        m_log += "[" + time.toString(u"yyyy/MM/dd HH:mm:ss"_s).toLatin1() +
                 ".000001,  1] ../../source3/modules/vfs_full_audit.c:643(do_log)\n  " +
                 QByteArray(record).replace("@SHARE@", m_volume.root) + '\n';
    }
    AuditReading read()
    {
        QFile file(m_folder.path() + u"/log.smbd"_s);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(m_log);
        file.close();
        return readAuditTrail(u"SRV/DATA"_s, *m_volume.samba);
    }
    // A new volume, as every scan run starts with.
    std::unique_ptr<EmulatedVolume> volume()
    {
        return std::make_unique<EmulatedVolume>(m_volume, m_times, knowledge());
    }
    std::unique_ptr<SambaKnowledge> knowledge()
    {
        return std::make_unique<SambaKnowledge>(*m_volume.samba, m_times, m_users);
    }
    NetWareVolume& configuration() { return m_volume; }
    // The volume's Samba settings, which the tests change in place.
    SambaVolumeSettings& samba() { return *m_samba; }
    LocalTimePacker& times() { return m_times; }

private:
    QTemporaryDir m_folder;
    std::shared_ptr<SambaVolumeSettings> m_samba = std::make_shared<SambaVolumeSettings>();
    NetWareVolume m_volume;
    LocalTimePacker m_times;
    AuditUserIds m_users;
    QByteArray m_log;
};

std::optional<EntryInfo> entryNamed(EmulatedVolume& volume, const QByteArray& directory, const QByteArray& name)
{
    volume.folderForHandle(directory.isEmpty() ? QByteArrayList() : directory.split('/')); // as a scan does
    const std::optional<QByteArray> shortName = volume.shortNameOf(directory, name);
    return shortName ? volume.entry(directory, *shortName, EveryEntry) : std::nullopt;
}

QString nameOf(EmulatedVolume& volume, quint32 id)
{
    return volume.userName(id).value_or(u"?"_s);
}

TEST(SambaVolume, EntriesNameThePeopleOfTheTrail)
{
    Share share;
    share.write("report.txt");
    share.write("later.txt");
    share.write("old.txt");
    share.log("alice|1|openat|ok|w|@SHARE@/report.txt");
    share.log("alice|1|pwrite_send|ok|@SHARE@/report.txt");
    share.log("bob|1|openat|ok|w|@SHARE@/report.txt");
    share.log("bob|1|pwrite_send|ok|@SHARE@/report.txt");
    share.log("carol|1|pread_send|ok|@SHARE@/report.txt");
    share.log("alice|1|openat|ok|w|@SHARE@/later.txt");
    share.log("alice|1|pwrite|ok|@SHARE@/later.txt");
    // A file born an hour before its first record was only opened by that record.
    share.log("bob|1|openat|ok|w|@SHARE@/old.txt", 3600);
    ASSERT_TRUE(share.read().problems.isEmpty());
    // later.txt was changed again, unrecorded, after the audited write.
    const QDateTime future = QDateTime::currentDateTime().addSecs(600);
    const timespec times[2] = {{static_cast<time_t>(future.toSecsSinceEpoch()), 0},
                               {static_cast<time_t>(future.toSecsSinceEpoch()), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, share.path("later.txt").constData(), times, 0), 0);

    auto volume = share.volume();
    volume->refreshTrash();
    const std::optional<EntryInfo> report = entryNamed(*volume, "", "report.txt");
    ASSERT_TRUE(report);
    EXPECT_EQ(nameOf(*volume, report->creatorId), u"alice"_s);
    EXPECT_EQ(nameOf(*volume, report->modifierId), u"bob"_s);
    EXPECT_EQ(report->accessedDate, share.times().pack(QDateTime::currentSecsSinceEpoch()) >> 16);
    const std::optional<EntryInfo> later = entryNamed(*volume, "", "later.txt");
    ASSERT_TRUE(later);
    EXPECT_EQ(nameOf(*volume, later->creatorId), u"alice"_s);
    EXPECT_EQ(later->modifierId, 0u);
    const std::optional<EntryInfo> old = entryNamed(*volume, "", "old.txt");
    ASSERT_TRUE(old);
    EXPECT_EQ(old->creatorId, getuid() + 1u); // the owner, as for a plain folder
    EXPECT_EQ(old->modifierId, 0u);
}

TEST(SambaVolume, MetadataHandEntriesStillOverride)
{
    Share share;
    share.write("report.txt");
    share.write(".netware-meta", "[entry report.txt]\nmodifier = 5\n");
    share.log("alice|1|openat|ok|w|@SHARE@/report.txt");
    share.log("bob|1|pwrite|ok|@SHARE@/report.txt");
    share.read();
    auto volume = share.volume();
    const std::optional<EntryInfo> report = entryNamed(*volume, "", "report.txt");
    ASSERT_TRUE(report);
    EXPECT_EQ(report->modifierId, 5u);
    EXPECT_EQ(nameOf(*volume, report->creatorId), u"alice"_s);
}

TEST(SambaVolume, SalvagesTheRecycleRepository)
{
    Share share;
    share.write("projects/live.txt");
    share.write(".recycle/bob/projects/plan.txt", "12345");
    share.write(".recycle/bob/projects/Copy #1 of plan.txt", "123");
    share.write(".recycle/alice/x.txt", "1");
    share.log("alice|1|unlinkat|ok|@SHARE@/projects/plan.txt", -60);
    share.log("bob|1|unlinkat|ok|@SHARE@/projects/plan.txt");
    share.read();
    auto volume = share.volume();
    volume->refreshTrash();
    EXPECT_FALSE(volume->shortNameOf("", ".recycle")); // never a live entry
    EXPECT_TRUE(volume->shortNameOf("", "projects"));
    const QList<SalvageableEntry> projects = volume->deletedEntries("projects");
    ASSERT_EQ(projects.size(), 2);
    QStringList deletors;
    for (const SalvageableEntry& entry : projects) {
        EXPECT_EQ(entry.name, "plan.txt");
        deletors.append(nameOf(*volume, entry.deletorId));
    }
    deletors.sort();
    EXPECT_EQ(deletors, (QStringList{u"alice"_s, u"bob"_s}));
    const QList<SalvageableEntry> top = volume->deletedEntries("");
    ASSERT_EQ(top.size(), 1);
    EXPECT_EQ(top[0].name, "x.txt");
    EXPECT_EQ(top[0].size, 1u);
    EXPECT_EQ(nameOf(*volume, top[0].deletorId), u"alice"_s); // the %U folder's name
    // Restored or purged: no longer listed.
    ASSERT_TRUE(QFile::rename(QFile::decodeName(share.path(".recycle/alice/x.txt")),
                              QFile::decodeName(share.path("x.txt"))));
    ASSERT_TRUE(QFile::remove(QFile::decodeName(share.path(".recycle/bob/projects/Copy #1 of plan.txt"))));
    auto again = share.volume();
    again->refreshTrash();
    EXPECT_TRUE(again->deletedEntries("").isEmpty());
    EXPECT_EQ(again->deletedEntries("projects").size(), 1);
}

TEST(SambaVolume, ThousandsOfVersions)
{
    Share share;
    constexpr int Versions = 2000;
    share.write(".recycle/bob/big.txt");
    for (int i = 1; i < Versions; ++i) {
        share.write(".recycle/bob/Copy #" + QByteArray::number(i) + " of big.txt");
        share.log("bob|1|unlinkat|ok|@SHARE@/big.txt");
    }
    share.log("bob|1|unlinkat|ok|@SHARE@/big.txt");
    EXPECT_EQ(share.read().records, Versions);
    auto volume = share.volume();
    volume->refreshTrash();
    const QList<SalvageableEntry> top = volume->deletedEntries("");
    ASSERT_EQ(top.size(), Versions);
    for (const SalvageableEntry& entry : top) {
        EXPECT_EQ(entry.name, "big.txt");
        ASSERT_EQ(nameOf(*volume, entry.deletorId), u"bob"_s);
    }
}

TEST(SambaVolume, DeletionsWithoutRepositoryAndAMissingSharePath)
{
    Share share;
    share.samba().share.recycle = false;
    share.write("back.txt");
    share.log("bob|1|unlinkat|ok|@SHARE@/gone.txt");
    share.log("bob|1|unlinkat|ok|@SHARE@/back.txt");
    share.log("bob|1|mkdirat|ok|@SHARE@/folder");
    share.log("bob|1|unlinkat|ok|@SHARE@/folder");
    share.read();
    auto volume = share.volume();
    volume->refreshTrash();
    const QList<SalvageableEntry> top = volume->deletedEntries("");
    ASSERT_EQ(top.size(), 1); // back.txt is there again, folder is a folder
    EXPECT_EQ(top[0].name, "gone.txt");
    EXPECT_EQ(nameOf(*volume, top[0].deletorId), u"bob"_s);

    share.configuration().root += "-missing";
    share.samba().share.path += "-missing";
    share.samba().share.recycle = true;
    auto missing = share.volume();
    missing->refreshTrash();
    EXPECT_FALSE(missing->shortNameOf("", "back.txt"));
    EXPECT_TRUE(missing->deletedEntries("").isEmpty());
}

// A refresh answers "changed" only when the deleted entries did, so that a volume does not sort
// its deleted entries anew every time it asks.
TEST(SambaVolume, ARefreshTellsWhetherTheDeletedEntriesChanged)
{
    Share share;
    share.samba().share.recycle = false;
    share.write("kept.txt");
    share.log("bob|1|pwrite|ok|@SHARE@/kept.txt");
    share.read();
    EXPECT_FALSE(share.knowledge()->refresh());

    share.log("bob|1|unlinkat|ok|@SHARE@/gone.txt");
    share.read();
    const std::unique_ptr<SambaKnowledge> knowledge = share.knowledge();
    EXPECT_TRUE(knowledge->refresh());
    ASSERT_EQ(knowledge->deletedEntries().size(), 1);
    EXPECT_EQ(knowledge->deletedEntries()[0].name, "gone.txt");
}

} // namespace
} // namespace corvane
