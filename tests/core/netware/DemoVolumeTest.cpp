#include "EmulatedNetwork.h"

#include "core/netware/DemoVolume.h"
#include "core/netware/PackedDateTime.h"
#include "core/netware/PathResolution.h"
#include "core/netware/UserNames.h"

#include <QDirIterator>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

const QString DemoSource = QStringLiteral(CV_DEMO_SOURCE);

void copyFolder(const QString& source, const QString& target)
{
    QDirIterator files(source, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        const QString copy = target + file.mid(source.size());
        QDir().mkpath(QFileInfo(copy).absolutePath());
        ASSERT_TRUE(QFile::copy(file, copy)) << file.toStdString();
    }
}

class DemoVolume : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo::exists(DemoSource + u"/netware.conf"_s));
        copyFolder(QDir::cleanPath(DemoSource), folder.path());
    }

    QTemporaryDir folder;
    const QDate today{2027, 3, 15};
};

TEST_F(DemoVolume, EventsFallOnTheGivenDay)
{
    QString failure;
    ASSERT_TRUE(prepareDemoVolume(folder.path(), today, &failure)) << failure.toStdString();
    QFile metadata(folder.path() + u"/VOL1/.netware-meta"_s);
    ASSERT_TRUE(metadata.open(QIODevice::ReadOnly));
    const QByteArray text = metadata.readAll();
    EXPECT_FALSE(text.contains("{today"));
    EXPECT_TRUE(text.contains("created = 2027-03-15 09:15:00"));
    EXPECT_TRUE(text.contains("deleted = 2027-03-14 17:45:00"));

    EmulatedNetWareClient client(folder.path() + u"/netware.conf"_s);
    ASSERT_EQ(client.NWCallsInit(), NWResult::Success);
    const auto docs = ClientDirectory::open(client, "CORVANE", "VOL1:DATA\\DOCS");
    ASSERT_TRUE(docs);
    ShortNameBuffer shortName{};
    ASSERT_EQ(client.NWGetLongName(docs->connection(), docs->handle(), "REPORT.DOC",
                                   NWConstant::NameSpaceLong, NWConstant::NameSpaceDos, shortName),
              NWResult::Success);
    quint32 iteration = NWConstant::IterationStart;
    EntryRecord record{};
    ASSERT_EQ(client.NWIntScanExtendedInfo(docs->connection(), docs->handle(), 6, iteration, shortName.data(),
                                           record, 0),
              NWResult::Success);
    const quint32 day = packDateTime(today, QTime(0, 0)) >> 16;
    EXPECT_EQ(recordValue32(record, EntryField::CreationDateTime), packDateTime(today, QTime(9, 15)));
    EXPECT_EQ(recordValue16(record, EntryField::LastAccessDate), day); // from the touched file
    EXPECT_EQ(GetBinderyObjectName(recordValue32(record, EntryField::OwnerId), docs->connection(), client),
              u"ALICE"_s);
}

TEST_F(DemoVolume, TouchesNothingOutsideItsFolder)
{
    QTemporaryDir outside;
    QFile file(outside.path() + u"/KEEP.TXT"_s);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QDateTime before = QFileInfo(file.fileName()).lastModified();
    QFile::copy(folder.path() + u"/VOL1.meta.in"_s, outside.path() + u".meta.in"_s);
    QFile configuration(folder.path() + u"/netware.conf"_s);
    ASSERT_TRUE(configuration.open(QIODevice::Append));
    configuration.write("[server OTHER]\nversion = 3\nvolume OUT = " + QFile::encodeName(outside.path()) +
                        "\n");
    configuration.close();
    ASSERT_TRUE(prepareDemoVolume(folder.path(), today));
    EXPECT_EQ(QFileInfo(file.fileName()).lastModified(), before);
    EXPECT_FALSE(QFileInfo::exists(outside.path() + u"/.netware-meta"_s));
    QFile::remove(outside.path() + u".meta.in"_s);
}

TEST_F(DemoVolume, BrokenConfigurationIsReported)
{
    QFile configuration(folder.path() + u"/netware.conf"_s);
    ASSERT_TRUE(configuration.open(QIODevice::WriteOnly));
    configuration.write("[server\n");
    configuration.close();
    QString failure;
    EXPECT_FALSE(prepareDemoVolume(folder.path(), today, &failure));
    EXPECT_TRUE(failure.contains(u"netware.conf:1:"_s)) << failure.toStdString();
}

} // namespace
} // namespace corvane
