#include "EmulatedNetwork.h"

#include "core/netware/LiveListing.h"
#include "core/netware/PackedDateTime.h"
#include "core/netware/PathResolution.h"
#include "core/netware/TextUtilities.h"

#include <unistd.h>

#include <utility>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

constexpr quint8 HiddenAndSystem = NWConstant::AttributeHidden | NWConstant::AttributeSystem;

quint32 packed(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return packDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

// One connection and handle on a folder of VOL1 (or another volume), as the scans hold them.
class EmulatedClient : public ::testing::Test
{
protected:
    void open(const QByteArray& directory, const QByteArray& server = "SRV1")
    {
        client().NWCCOpenConnByName(0, server, NWConstant::NameFormatBindery, NWConstant::OpenStateLicensed,
                                    NWConstant::TransportAny, connection);
        quint8 rights = 0;
        ASSERT_EQ(client().NWAllocTemporaryDirectoryHandle(connection, 0, directory, handle, rights),
                  NWResult::Success)
            << directory.constData();
    }

    void close()
    {
        EXPECT_EQ(client().NWDeallocateDirectoryHandle(connection, handle), NWResult::Success);
        EXPECT_EQ(client().NWCCCloseConn(connection), NWResult::Success);
    }

    QByteArray shortName(const QByteArray& longName)
    {
        ShortNameBuffer name{};
        if (client().NWGetLongName(connection, handle, longName, NWConstant::NameSpaceLong,
                                   NWConstant::NameSpaceDos, name) != NWResult::Success)
            return {};
        return QByteArray(name.data());
    }

    quint32 scan(const QByteArray& pattern, EntryRecord& record, quint8 attributes = HiddenAndSystem)
    {
        quint32 iteration = NWConstant::IterationStart;
        return client().NWIntScanExtendedInfo(connection, handle, attributes, iteration, pattern, record, 0);
    }

    EntryRecord entryOf(const QByteArray& longName)
    {
        EntryRecord record{};
        EXPECT_EQ(scan(shortName(longName), record), NWResult::Success) << longName.constData();
        return record;
    }

    QList<DeletedEntryRecord> deletedEntries()
    {
        QList<DeletedEntryRecord> entries;
        quint32 iteration = NWConstant::IterationStart;
        quint32 volume = 0;
        quint32 base = 0;
        DeletedEntryRecord record{};
        while (client().NWScanForDeletedFiles(connection, handle, iteration, volume, base, record) ==
               NWResult::Success)
            entries.append(record);
        return entries;
    }

    static QByteArray nameOf(const DeletedEntryRecord& record)
    {
        return QByteArray(reinterpret_cast<const char*>(record.data() + DeletedField::Name));
    }

    void writeMetadata(const QByteArray& text, const QString& volume = u"vol1"_s)
    {
        network.writeFile(volume + u"/.netware-meta"_s, text);
    }

    EmulatedNetWareClient& client() { return network.client(); }

    test::EmulatedNetwork network;
    quint32 connection = 0;
    quint8 handle = 0;
};

TEST_F(EmulatedClient, EntryRecordComesFromTheRealFile)
{
    const quint32 dayBefore = packDateTime(QDate::currentDate(), QTime(0, 0)) >> 16;
    network.writeFile(u"vol1/DATA/REPORT.DOC"_s, QByteArray(1234, 'x'));
    const quint32 dayAfter = packDateTime(QDate::currentDate(), QTime(0, 0)) >> 16;
    const QDateTime accessed(QDate(2026, 12, 6), QTime(8, 0, 0));
    const QDateTime modified(QDate(2026, 12, 5), QTime(14, 5, 7));
    network.setTimes(u"vol1/DATA/REPORT.DOC"_s, accessed, modified);
    open("VOL1:DATA");
    const EntryRecord record = entryOf("REPORT.DOC");
    EXPECT_EQ(recordValue32(record, EntryField::LastUpdateDateTime), packed(2026, 12, 5, 14, 5, 6));
    EXPECT_EQ(recordValue16(record, EntryField::LastAccessDate), packed(2026, 12, 6) >> 16);
    EXPECT_EQ(recordValue32(record, EntryField::OwnerId), getuid() + 1);
    const quint32 born = recordValue32(record, EntryField::CreationDateTime) >> 16; // just now
    EXPECT_TRUE(born == dayBefore || born == dayAfter) << born;
    EXPECT_EQ(recordValue32(record, EntryField::LastArchiveDateTime), 0u);
    EXPECT_EQ(recordValue32(record, EntryField::LastArchiverId), 0u);
    EXPECT_EQ(recordValue32(record, EntryField::LastUpdaterId), 0u);
    EXPECT_EQ(recordValue32(record, EntryField::DataSize), 1234u);
}

TEST_F(EmulatedClient, MetadataOverridesAnyFieldAndNamesUsers)
{
    network.writeFile(u"vol1/DATA/REPORT.DOC"_s);
    writeMetadata("# who did what\n"
                  "[entry DATA/REPORT.DOC]\n"
                  "created = 2003-12-11 14:05:06\n"
                  "creator = Alice\n"
                  "archived = 0x2F8B70BE\n" // a seconds field of 30 stays as it is
                  "archiver = 4711\n"
                  "modified = 2026-12-07T10:00\n"
                  "modifier = 0x1F5\n"
                  "accessed = 0x26E4\n"
                  "[users]\n"
                  "50001 = alice\n");
    open("VOL1:DATA");
    const EntryRecord record = entryOf("REPORT.DOC");
    EXPECT_EQ(recordValue32(record, EntryField::CreationDateTime), 0x2F8B70A3u);
    EXPECT_EQ(recordValue32(record, EntryField::OwnerId), 50001u);
    EXPECT_EQ(recordValue32(record, EntryField::LastArchiveDateTime), 0x2F8B70BEu);
    EXPECT_EQ(recordValue32(record, EntryField::LastArchiverId), 4711u);
    EXPECT_EQ(recordValue32(record, EntryField::LastUpdateDateTime), packed(2026, 12, 7, 10));
    EXPECT_EQ(recordValue32(record, EntryField::LastUpdaterId), 0x1F5u);
    EXPECT_EQ(recordValue16(record, EntryField::LastAccessDate), 0x26E4);
}

TEST_F(EmulatedClient, ChangedMetadataAppliesFromTheNextFolder)
{
    network.writeFile(u"vol1/NOTES.TXT"_s);
    QDir().mkpath(network.path(u"vol1/OTHER"_s));
    writeMetadata("[entry NOTES.TXT]\narchiver = 7\n");
    open("VOL1:");
    EXPECT_EQ(recordValue32(entryOf("NOTES.TXT"), EntryField::LastArchiverId), 7u);
    writeMetadata("[entry NOTES.TXT]\narchiver = 8\nunknown = 1\n");
    open("VOL1:OTHER");
    open("VOL1");
    EXPECT_EQ(recordValue32(entryOf("NOTES.TXT"), EntryField::LastArchiverId), 8u);
}

TEST_F(EmulatedClient, UnreadableMetadataLinesAreLeftOutWithTheirLine)
{
    network.writeFile(u"vol1/.netware-meta"_s, "[entry A.TXT]\n"
                                               "created = yesterday\n"
                                               "creator = 12\n"
                                               "[nonsense]\n"
                                               "[deleted \"B\\q.TXT\"]\n"
                                               "[entry A.TXT]\n"
                                               "archiver 7\n"
                                               "[deleted C.TXT]\n"
                                               "size: 5\n"
                                               "[users]\n"
                                               "alice\n");
    VolumeMetadataFile metadata(network.path(u"vol1/.netware-meta"_s));
    // The file's syntax is warned about when it is indexed, the values of a folder's entries when
    // the folder is read.
    const QStringList& syntax = metadata.warnings();
    ASSERT_EQ(syntax.size(), 5) << syntax.join(u'\n').toStdString();
    EXPECT_TRUE(syntax[0].contains(u":4: unknown section"_s));
    EXPECT_TRUE(syntax[1].contains(u":5: invalid path"_s));
    EXPECT_TRUE(syntax[2].endsWith(u".netware-meta:7: expected \"name = value\""_s));
    EXPECT_TRUE(syntax[3].endsWith(u".netware-meta:9: expected \"name = value\""_s));
    EXPECT_TRUE(syntax[4].endsWith(u".netware-meta:11: expected \"name = value\""_s));
    QStringList values;
    const OverridesByName top = metadata.folder("", values);
    ASSERT_EQ(values.size(), 1) << values.join(u'\n').toStdString();
    EXPECT_TRUE(values[0].endsWith(u".netware-meta:2: cannot read created \"yesterday\""_s));
    EXPECT_EQ(top.value("A.TXT").creator, 12u);
    EXPECT_FALSE(top.value("A.TXT").created);
}

TEST_F(EmulatedClient, MetadataPathsMatchWithoutRegardToCase)
{
    network.writeFile(u"vol1/Data/Report.doc"_s);
    writeMetadata("[entry DATA/REPORT.DOC]\narchiver = 7\n"
                  "[entry data/report.DOC]\nmodifier = 8\n"
                  "[deleted data/Old.doc]\ndeleted = 2026-12-07 12:02:00\n");
    open("VOL1:DATA");
    const EntryRecord record = entryOf("Report.doc");
    EXPECT_EQ(recordValue32(record, EntryField::LastArchiverId), 7u);
    EXPECT_EQ(recordValue32(record, EntryField::LastUpdaterId), 8u);
    const QList<DeletedEntryRecord> deleted = deletedEntries();
    ASSERT_EQ(deleted.size(), 1);
    EXPECT_EQ(nameOf(deleted[0]), "Old.doc");
}

TEST_F(EmulatedClient, HiddenAndSystemEntriesAreFoundOnlyWhenAskedFor)
{
    network.writeFile(u"vol1/.hidden"_s);
    network.writeFile(u"vol1/SYSTEM.DAT"_s);
    QDir().mkpath(network.path(u"vol1/SUB"_s));
    writeMetadata("[entry SYSTEM.DAT]\nsystem = yes\n");
    open("VOL1:");
    EntryRecord record{};
    EXPECT_EQ(scan(shortName(".hidden"), record, 0), NWResult::NoMoreEntries);
    EXPECT_EQ(scan(shortName(".hidden"), record, NWConstant::AttributeHidden), NWResult::Success);
    EXPECT_EQ(recordValue32(record, EntryField::Attributes), NWConstant::AttributeHidden);
    EXPECT_EQ(scan("SYSTEM.DAT", record, NWConstant::AttributeHidden), NWResult::NoMoreEntries);
    EXPECT_EQ(scan("SYSTEM.DAT", record, NWConstant::AttributeSystem), NWResult::Success);
    EXPECT_EQ(scan("SUB", record), NWResult::NoMoreEntries); // folders are not files
    // The server's own files are not entries of the volume.
    EXPECT_TRUE(shortName(".netware-meta").isEmpty());
    EXPECT_EQ(scan("NETWAR~1", record), NWResult::NoMoreEntries);
}

TEST_F(EmulatedClient, ShortNamesRoundTripAndStayWithTheirFile)
{
    for (const char* name : {"Quarterly budget 2026.xls", "Quarterly budget 2027.xls", "report.doc",
                             "REPORT.DOC", "Report.doc", ".profile", "a.b.c"})
        network.writeBytes(QByteArray("vol1/DOCS/") + name);
    open("VOL1:DOCS");
    EXPECT_EQ(shortName("Quarterly budget 2026.xls"), "QUARTE~1.XLS");
    EXPECT_EQ(shortName("Quarterly budget 2027.xls"), "QUARTE~2.XLS");
    EXPECT_EQ(shortName("REPORT.DOC"), "REPORT.DOC"); // an 8.3 name is its own short name
    EXPECT_EQ(shortName("Report.doc"), "REPORT~1.DOC");
    EXPECT_EQ(shortName("report.doc"), "REPORT~2.DOC");
    EXPECT_EQ(shortName(".profile"), "PROFIL~1");
    EXPECT_EQ(shortName("a.b.c"), "AB~1.C");
    for (const char* name : {"Quarterly budget 2027.xls", "Report.doc", "report.doc"}) {
        network.writeBytes(QByteArray("vol1/DOCS/") + name, name);
        EXPECT_EQ(recordValue32(entryOf(name), EntryField::DataSize), qstrlen(name)) << name;
    }
    // Another file coming and one going change no name that was handed out.
    QFile::remove(network.path(u"vol1/DOCS/Quarterly budget 2026.xls"_s));
    network.writeFile(u"vol1/DOCS/Quarterly budget 2028.xls"_s);
    EXPECT_EQ(shortName("Quarterly budget 2028.xls"), "QUARTE~3.XLS");
    EXPECT_EQ(shortName("Quarterly budget 2027.xls"), "QUARTE~2.XLS");
    EXPECT_EQ(shortName("Quarterly budget 2026.xls"), "");
}

// Past nine the base gives up a character to the number; a name without extension keeps none.
TEST_F(EmulatedClient, NumberedShortNamesMakeRoomForLongerNumbers)
{
    for (int i = 0; i < 11; ++i)
        network.writeBytes("vol1/MANY/report " + QByteArray::number(100 + i) + ".document");
    network.writeBytes("vol1/MANY/.. no extension.");
    open("VOL1:MANY");
    EXPECT_EQ(shortName("report 100.document"), "REPORT~1.DOC");
    EXPECT_EQ(shortName("report 108.document"), "REPORT~9.DOC");
    EXPECT_EQ(shortName("report 109.document"), "REPOR~10.DOC");
    EXPECT_EQ(shortName("report 110.document"), "REPOR~11.DOC");
    EXPECT_EQ(shortName(".. no extension."), "NOEXTE~1");
}

// The server forgets folders after a few hundred, so that a scan's memory stays flat; a folder
// listed again hands out the names and entry numbers it handed out before.
TEST_F(EmulatedClient, AFolderListedAgainAfterManyOthersKeepsItsNamesAndNumbers)
{
    const QByteArrayList names = {"Quarterly budget 2027.xls", "Quarterly budget 2026.xls", "Report.doc",
                                  "report.doc"};
    for (const QByteArray& name : names)
        network.writeBytes("vol1/FIRST/" + name);
    for (int folder = 0; folder < 600; ++folder)
        network.writeBytes("vol1/F" + QByteArray::number(folder) + "/Long file name.txt");
    const auto namesAndNumbers = [&] {
        QList<QPair<QByteArray, quint32>> seen;
        for (const QByteArray& name : names)
            seen.append({shortName(name), recordValue32(entryOf(name), EntryField::EntryNumber)});
        return seen;
    };
    open("VOL1:FIRST");
    const QList<QPair<QByteArray, quint32>> before = namesAndNumbers();
    EXPECT_EQ(before.first().first, "QUARTE~2.XLS");
    for (int folder = 0; folder < 600; ++folder) {
        close();
        open("VOL1:F" + QByteArray::number(folder));
        EXPECT_EQ(shortName("Long file name.txt"), "LONGFI~1.TXT") << folder;
    }
    close();
    open("VOL1:FIRST");
    EXPECT_EQ(namesAndNumbers(), before);
}

// The warnings the code under test gives while it lives.
class CapturedWarnings
{
public:
    CapturedWarnings() : m_previous(qInstallMessageHandler(capture)) { s_warnings.clear(); }
    ~CapturedWarnings() { qInstallMessageHandler(m_previous); }
    CapturedWarnings(const CapturedWarnings&) = delete;
    CapturedWarnings& operator=(const CapturedWarnings&) = delete;
    QStringList take() { return std::exchange(s_warnings, {}); }

private:
    static void capture(QtMsgType type, const QMessageLogContext&, const QString& message)
    {
        if (type == QtWarningMsg)
            s_warnings.append(message);
    }
    static inline QStringList s_warnings;
    QtMessageHandler m_previous;
};

TEST_F(EmulatedClient, AForgottenFolderReadsItsMetadataAgainWithoutWarningAgain)
{
    QByteArray metadata = "[entry FIRST/A.TXT]\narchiver = 7\ncreated = yesterday\n";
    for (int folder = 0; folder < 300; ++folder) {
        const QByteArray name = "F" + QByteArray::number(folder);
        network.writeBytes("vol1/" + name + "/A.TXT");
        metadata += "[entry " + name + "/a.txt]\narchiver = " + QByteArray::number(folder + 100) + '\n';
    }
    metadata += "[entry first/a.txt]\nmodifier = 8\n"; // the same entry further down, in other case
    network.writeBytes("vol1/FIRST/A.TXT");
    writeMetadata(metadata);
    CapturedWarnings warnings;
    open("VOL1:FIRST");
    EXPECT_TRUE(warnings.take().isEmpty()); // the values of a folder are read with the folder
    const auto check = [this] {
        const EntryRecord record = entryOf("A.TXT");
        EXPECT_EQ(recordValue32(record, EntryField::LastArchiverId), 7u);
        EXPECT_EQ(recordValue32(record, EntryField::LastUpdaterId), 8u);
    };
    check();
    const QStringList given = warnings.take();
    ASSERT_EQ(given.size(), 1) << given.join(u'\n').toStdString();
    EXPECT_TRUE(given[0].endsWith(u".netware-meta:3: cannot read created \"yesterday\""_s))
        << given[0].toStdString();
    for (int folder = 0; folder < 300; ++folder) {
        close();
        open("VOL1:F" + QByteArray::number(folder));
        EXPECT_EQ(recordValue32(entryOf("A.TXT"), EntryField::LastArchiverId), folder + 100u) << folder;
    }
    close();
    open("VOL1:FIRST");
    check();
    EXPECT_TRUE(warnings.take().isEmpty());
}

TEST_F(EmulatedClient, AMetadataFileChangedBetweenTwoLookupsIsIndexedAgain)
{
    network.writeFile(u"vol1/DATA/A.TXT"_s);
    QDir().mkpath(network.path(u"vol1/OTHER"_s));
    writeMetadata("[entry DATA/A.TXT]\narchiver = 7\n[entry OTHER/B.TXT]\narchiver = 9\n");
    open("VOL1:DATA");
    EXPECT_EQ(recordValue32(entryOf("A.TXT"), EntryField::LastArchiverId), 7u);
    // The same folder's sections now lie elsewhere, spread over the file.
    writeMetadata("# moved\n[entry OTHER/B.TXT]\narchiver = 9\n[entry DATA/A.TXT]\narchiver = 8\n"
                  "[entry OTHER/C.TXT]\narchiver = 9\n[entry Data/a.txt]\nmodifier = 5\n");
    close();
    open("VOL1:OTHER");
    close();
    open("VOL1:DATA");
    const EntryRecord record = entryOf("A.TXT");
    EXPECT_EQ(recordValue32(record, EntryField::LastArchiverId), 8u);
    EXPECT_EQ(recordValue32(record, EntryField::LastUpdaterId), 5u);
}

TEST_F(EmulatedClient, OddNamesSurviveAsBytes)
{
    const QByteArray odd = "it's \"odd\"\nname \xE9.txt"; // a quote, a newline, a Latin-1 byte
    network.writeBytes("vol1/DATA/" + odd, "12345");
    ServerNameBuffer server{};
    VolumeNameBuffer volume{};
    DirectoryPathBuffer directory{};
    quint32 unused = 0;
    ASSERT_EQ(client().NWParsePath(network.bytePath("vol1/DATA/" + odd), server, unused, volume, directory),
              NWResult::Success);
    EXPECT_EQ(QByteArray(directory.data()), "DATA\\" + odd);
    open("VOL1:DATA");
    EXPECT_EQ(recordValue32(entryOf(odd), EntryField::DataSize), 5u);
}

TEST_F(EmulatedClient, ABackslashInALinuxNameCannotBeParsed)
{
    network.writeBytes("vol1/a\\b.txt");
    ServerNameBuffer server{};
    VolumeNameBuffer volume{};
    DirectoryPathBuffer directory{};
    quint32 unused = 0;
    EXPECT_EQ(client().NWParsePath(network.bytePath("vol1/a\\b.txt"), server, unused, volume, directory),
              NWResult::InvalidPath);
}

TEST_F(EmulatedClient, LinksToFoldersAreNeverFollowed)
{
    QDir().mkpath(network.path(u"vol1/A"_s));
    ASSERT_EQ(symlink("..", QFile::encodeName(network.path(u"vol1/A/loop"_s)).constData()), 0);
    ASSERT_EQ(symlink("/", QFile::encodeName(network.path(u"vol1/outside"_s)).constData()), 0);
    client().NWCCOpenConnByName(0, "SRV1", NWConstant::NameFormatBindery, 1, 0, connection);
    quint8 rights = 0;
    EXPECT_EQ(client().NWAllocTemporaryDirectoryHandle(connection, 0, "VOL1:A\\loop", handle, rights),
              NWResult::InvalidPath);
    EXPECT_EQ(
        client().NWAllocTemporaryDirectoryHandle(connection, 0, "VOL1:A\\loop\\A\\loop", handle, rights),
        NWResult::InvalidPath);
    EXPECT_EQ(client().NWAllocTemporaryDirectoryHandle(connection, 0, "VOL1:outside\\etc", handle, rights),
              NWResult::InvalidPath);
    EXPECT_EQ(client().NWAllocTemporaryDirectoryHandle(connection, 0, "VOL1:A\\..\\..", handle, rights),
              NWResult::InvalidPath);
}

TEST_F(EmulatedClient, FailuresAreReal)
{
    quint32 unknown = 0;
    EXPECT_EQ(client().NWCCOpenConnByName(0, "NOSUCH", NWConstant::NameFormatBindery, 1, 0, unknown),
              NWResult::ServerUnknown);
    EXPECT_EQ(client().NWCCOpenConnByName(0, "SRV1", 8, 1, 0, unknown), NWResult::InvalidParameter);

    network.writeFile(u"vol1/DATA/GONE.TXT"_s);
    open("VOL1:DATA");
    quint8 other = 0;
    quint8 rights = 0;
    EXPECT_EQ(client().NWAllocTemporaryDirectoryHandle(connection, 0, "VOL1:MISSING", other, rights),
              NWResult::InvalidPath);
    EXPECT_EQ(client().NWAllocTemporaryDirectoryHandle(connection, 0, "DATA:", other, rights),
              NWResult::VolumeUnknown);

    const QByteArray gone = shortName("GONE.TXT");
    ASSERT_EQ(gone, "GONE.TXT");
    QFile::remove(network.path(u"vol1/DATA/GONE.TXT"_s)); // vanishes between listing and lookup
    EntryRecord record{};
    EXPECT_EQ(scan(gone, record), NWResult::NoMoreEntries);
    EXPECT_EQ(scan("", record), NWResult::NoMoreEntries);

    EXPECT_EQ(client().NWDeallocateDirectoryHandle(connection, handle), NWResult::Success);
    EXPECT_EQ(client().NWDeallocateDirectoryHandle(connection, handle), NWResult::InvalidDirectoryHandle);
    EXPECT_EQ(scan("GONE.TXT", record), NWResult::InvalidDirectoryHandle);
    EXPECT_EQ(client().NWCCCloseConn(connection), NWResult::Success);
    EXPECT_EQ(client().NWCCCloseConn(connection), NWResult::InvalidConnection);
}

TEST_F(EmulatedClient, DeletedEntriesComeFromTheMetadataOfTheirFolder)
{
    QDir().mkpath(network.path(u"vol1/DATA"_s));
    writeMetadata("[users]\n50002 = bob\n"
                  "[deleted DATA/OLD.DOC]\nsize = 18432\ndeleted = 2026-12-07 12:02:00\ndeletor = bob\n"
                  "[deleted DATA/OLD.DOC]\nsize = 100\ndeleted = 2026-12-06 09:00:00\n"
                  "[deleted \"DATA/it's \\\"odd\\\"\\n\\xE9.txt\"]\ndeleted = 2026-12-07 08:00:00\n"
                  "[deleted TOP.TXT]\ndeleted = 2026-12-07 08:00:00\n");
    open("VOL1:DATA");
    const QList<DeletedEntryRecord> entries = deletedEntries();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(nameOf(entries[0]), "OLD.DOC");
    EXPECT_EQ(recordValue32(entries[0], DeletedField::DataSize), 18432u);
    EXPECT_EQ(recordValue32(entries[0], DeletedField::DeletedDateTime), packed(2026, 12, 7, 12, 2));
    EXPECT_EQ(recordValue32(entries[0], DeletedField::DeletorId), 50002u);
    EXPECT_EQ(recordValue32(entries[1], DeletedField::DeletedDateTime), packed(2026, 12, 6, 9));
    EXPECT_EQ(nameOf(entries[2]), "it's \"odd\"\n\xE9.txt");
    EXPECT_EQ(BytesToText(nameOf(entries[2])), u"it's \"odd\"\n\u00E9.txt"_s);

    client().NWDeallocateDirectoryHandle(connection, handle);
    open("VOL1:");
    ASSERT_EQ(deletedEntries().size(), 1);
    EXPECT_EQ(nameOf(deletedEntries().first()), "TOP.TXT");
}

TEST_F(EmulatedClient, TrashedFilesAreDeletedEntriesOfTheFolderTheyCameFrom)
{
    QDir().mkpath(network.path(u"vol1/DATA/DOCS"_s));
    const auto trash = [this](const QString& name, const QByteArray& originalPath,
                              const QByteArray& contents) {
        network.writeFile(u"vol1/.Trash-1000/files/"_s + name, contents);
        network.writeFile(u"vol1/.Trash-1000/info/"_s + name + u".trashinfo"_s,
                          "[Trash Info]\nPath=" + originalPath + "\nDeletionDate=2026-12-07T11:30:04\n");
    };
    trash(u"REPORT.DOC"_s, "DATA/DOCS/REPORT.DOC", "abc");
    trash(u"My notes.txt"_s, network.bytePath("vol1/DATA/DOCS/My%20notes.txt"), "abcdef");
    trash(u"ELSEWHERE.TXT"_s, "/tmp/ELSEWHERE.TXT", "x");
    QDir().mkpath(network.path(u"vol1/.Trash-1000/files/FOLDER"_s)); // a trashed folder is no file
    network.writeFile(u"vol1/.Trash-1000/info/FOLDER.trashinfo"_s, "[Trash Info]\nPath=DATA/DOCS/FOLDER\n");
    open("VOL1:DATA\\DOCS");
    const QList<DeletedEntryRecord> entries = deletedEntries();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(nameOf(entries[0]), "My notes.txt");
    EXPECT_EQ(recordValue32(entries[0], DeletedField::DataSize), 6u);
    EXPECT_EQ(nameOf(entries[1]), "REPORT.DOC");
    EXPECT_EQ(recordValue32(entries[1], DeletedField::DeletedDateTime), packed(2026, 12, 7, 11, 30, 4));
    EXPECT_EQ(recordValue32(entries[1], DeletedField::DeletorId), 1001u);

    // A file trashed while the server runs is seen at the next scan of its folder.
    trash(u"LATER.TXT"_s, "DATA/DOCS/LATER.TXT", "");
    EXPECT_EQ(deletedEntries().size(), 3);
}

// The status the scan's listing read of a file serves the server's next lookup of that file only.
// A file rewritten in between shows which of the two reads the lookup used.
TEST_F(EmulatedClient, TheListedStatusServesOneLookupOfThatFileWhileTheListingIsOpen)
{
    network.writeFile(u"vol1/DATA/A.TXT"_s, "four");
    network.writeFile(u"vol1/DATA/B.TXT"_s, "four");
    network.writeFile(u"vol1/OTHER/A.TXT"_s, "four");
    QDir().mkpath(network.path(u"vol1/DATA/SUB"_s));
    const auto rewriteAll = [this](const QByteArray& contents) {
        for (const QString& file : {u"vol1/DATA/A.TXT"_s, u"vol1/DATA/B.TXT"_s, u"vol1/OTHER/A.TXT"_s})
            network.writeFile(file, contents);
    };
    open("VOL1:DATA");
    const auto sizeOf = [this](const QByteArray& name) {
        return recordValue32(entryOf(name), EntryField::DataSize);
    };
    {
        FolderListing listing(network.bytePath("vol1/DATA"), false);
        ASSERT_TRUE(listing.isOpen());
        EXPECT_EQ(listing.fileLength("A.TXT"), 4);
        rewriteAll("eight...");
        EXPECT_EQ(sizeOf("B.TXT"), 8u); // another file reads its own
        EXPECT_EQ(sizeOf("A.TXT"), 4u); // as listed
        EXPECT_EQ(sizeOf("A.TXT"), 8u); // lent once only

        EXPECT_EQ(listing.fileLength("A.TXT"), 8);
        EXPECT_EQ(listing.fileLength("B.TXT"), 8); // a later file's read takes the place of the first
        rewriteAll("twelve......");
        EXPECT_EQ(sizeOf("A.TXT"), 12u);
        EXPECT_EQ(listing.fileLength("SUB"), std::nullopt); // no file: nothing lent, B's loan ended
        EXPECT_EQ(sizeOf("B.TXT"), 12u);
        EXPECT_EQ(listing.fileLength("A.TXT"), 12);
        close();
        open("VOL1:OTHER");
        rewriteAll("sixteen.........");
        EXPECT_EQ(sizeOf("A.TXT"), 16u); // same name, other folder
        close();
        open("VOL1:DATA");
    }
    rewriteAll("twenty..............");
    EXPECT_EQ(sizeOf("A.TXT"), 20u); // the listing that read 12 bytes is closed
    close();
}

// The server's first listing of a folder takes the names the scan's listing has just read of it; a
// name they lack sends the server to the disk again. Names made after the scan's listing would
// come first in a listing made afresh and take the first number.
TEST_F(EmulatedClient, TheListedNamesServeTheServersFirstListingOfThatFolderOnly)
{
    for (const QString& folder : {u"DATA"_s, u"OTHER"_s, u"THIRD"_s})
        network.writeFile(u"vol1/%1/Quarterly budget 2027.xls"_s.arg(folder));
    const auto addEarlierName = [this](const QString& folder) {
        network.writeFile(u"vol1/%1/Quarterly budget 2026.xls"_s.arg(folder));
    };
    {
        FolderListing listing(network.bytePath("vol1/DATA"), false);
        ASSERT_TRUE(listing.isOpen());
        addEarlierName(u"DATA"_s);
        addEarlierName(u"OTHER"_s);
        open("VOL1:OTHER");
        EXPECT_EQ(shortName("Quarterly budget 2027.xls"), "QUARTE~2.XLS"); // another folder lists its own
        close();
        open("VOL1:DATA");
        EXPECT_EQ(shortName("Quarterly budget 2027.xls"), "QUARTE~1.XLS"); // as listed
        EXPECT_EQ(shortName("Quarterly budget 2026.xls"), "QUARTE~2.XLS"); // found on disk
        close();
    }
    {
        const FolderListing listing(network.bytePath("vol1/THIRD"), false);
        ASSERT_TRUE(listing.isOpen());
    }
    addEarlierName(u"THIRD"_s);
    open("VOL1:THIRD");
    EXPECT_EQ(shortName("Quarterly budget 2027.xls"), "QUARTE~2.XLS"); // a closed listing lends nothing
    close();
}

TEST_F(EmulatedClient, VersionRecordCarriesNameAndVersion)
{
    open("DATA:", "SRV4");
    VersionRecord version{};
    ASSERT_EQ(client().NWGetFileServerVersionInfo(connection, version), NWResult::Success);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(version.data())), "SRV4");
    EXPECT_EQ(version[VersionField::MajorVersion], 4);
    EXPECT_EQ(version[VersionField::MinorVersion], 11);
}

// Server FILES made of the two shares ALPHA and BETA of a Samba configuration, whose records are in
// smbd's log.
class EmulatedSambaClient : public EmulatedClient
{
protected:
    EmulatedSambaClient()
    {
        const QByteArray root = network.bytePath("");
        network.writeFile(u"smb.conf"_s,
                          "[global]\n  vfs objects = full_audit\n  full_audit:prefix = %u|%I|%S\n"
                          "[alpha]\n  path = " +
                              root + "shares/a\n[beta]\n  path = " + root + "shares/b\n");
        network.writeFile(u"netware.conf"_s, "[server FILES]\nversion = 4.11\nsamba config = smb.conf\n"
                                             "audit source = smbd-log log.smbd\n");
    }

    void log(const QByteArray& record)
    {
        m_log += "[" + QDateTime::currentDateTime().toString(u"yyyy/MM/dd HH:mm:ss"_s).toLatin1() +
                 ".000001,  1] ../../source3/modules/vfs_full_audit.c:643(do_log)\n  " +
                 QByteArray(record).replace("@ROOT@", network.bytePath("shares")) + '\n';
        network.writeFile(u"log.smbd"_s, m_log);
    }

    QString nameOfObject(quint32 id)
    {
        BinderyNameBuffer name{};
        quint16 type = 0;
        if (client().NWGetObjectName(connection, id, name, type) != NWResult::Success)
            return u"?"_s;
        return QString::fromLatin1(name.data());
    }

    QString ownerOf(const QByteArray& directory, const QByteArray& file)
    {
        open(directory, "FILES");
        return nameOfObject(recordValue32(entryOf(file), EntryField::OwnerId));
    }

private:
    QByteArray m_log;
};

// Users the system does not know are numbered once for the whole server: each share names its own.
TEST_F(EmulatedSambaClient, UsersUnknownToTheSystemKeepTheirNamesOnEveryShare)
{
    network.writeFile(u"shares/a/DOCS/ONE.TXT"_s);
    network.writeFile(u"shares/b/DOCS/TWO.TXT"_s);
    log("cvghostann|1|alpha|openat|ok|w|@ROOT@/a/DOCS/ONE.TXT");
    log("cvghostben|1|beta|openat|ok|w|@ROOT@/b/DOCS/TWO.TXT");
    const QList<ServerLogReading> readings = client().readServerLogs({});
    ASSERT_EQ(readings.size(), 2);
    EXPECT_TRUE(readings[0].complete && readings[1].complete) << readings[0].summary.toStdString();
    EXPECT_EQ(ownerOf("ALPHA:DOCS", "ONE.TXT"), u"CVGHOSTANN"_s);
    EXPECT_EQ(ownerOf("BETA:DOCS", "TWO.TXT"), u"CVGHOSTBEN"_s);
    EXPECT_EQ(ownerOf("ALPHA:DOCS", "ONE.TXT"), u"CVGHOSTANN"_s);
}

TEST(EmulatedClientStart, ConfigurationErrorFailsInitialisationWithFileAndLine)
{
    test::EmulatedNetwork network("[server SRV1]\nversion = 3.12\nvolume VOL1 vol1\n");
    EmulatedNetWareClient client(network.configurationPath());
    EXPECT_EQ(client.NWCallsInit(), NWResult::ConfigurationUnreadable);
    EXPECT_EQ(client.initFailure(), network.configurationPath() + u":3: expected \"name = value\""_s);
}

TEST(EmulatedClientStart, MissingConfigurationMeansNoServers)
{
    QTemporaryDir folder;
    EmulatedNetWareClient client(folder.path() + u"/netware.conf"_s);
    EXPECT_EQ(client.NWCallsInit(), NWResult::Success);
    EXPECT_TRUE(client.initFailure().isEmpty());
    quint32 connection = 0;
    EXPECT_EQ(client.NWCCOpenConnByName(0, "SRV1", NWConstant::NameFormatBindery, 1, 0, connection),
              NWResult::ServerUnknown);
}

} // namespace
} // namespace corvane
