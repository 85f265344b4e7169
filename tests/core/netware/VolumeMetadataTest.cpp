#include "core/netware/PackedDateTime.h"
#include "core/netware/VolumeMetadata.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <QTime>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace corvane {
namespace {

const QString FilePath = u"/vol1/.netware-meta"_s;

// Sections of one folder spread over the file, named in different letter case, quoted with
// escapes and with bytes that are not UTF-8; users named above their definition.
const QByteArray SpreadSections = "# hand entries\n"
                                  "[entry DATA/A.TXT]\n"
                                  "archiver = bob\n"
                                  "[entry OTHER/B.TXT]\n"
                                  "archiver = 7\n"
                                  "[entry data/a.txt]\n"
                                  "modifier = 8\n"
                                  "[deleted Data/Old.doc]\n"
                                  "deletor = bob\n"
                                  "[entry \"Data/it's \\\"odd\\\"\\n\\xE9.txt\"]\n"
                                  "system = yes\n"
                                  "[entry TOP.TXT]\n"
                                  "accessed = 2026-12-07\n"
                                  "[entry ./DATA/./Sub/../\xE9t\xE9.doc]\n"
                                  "created = 2026-12-07 09:15\n"
                                  "[users]\n"
                                  "50002 = Bob\n";

TEST(VolumeMetadata, FoldersAreReadFromTheirSectionsWhereverTheyLie)
{
    // A chunk far smaller than the file, and one larger: lines cross the chunks' ends.
    for (const qint64 chunkSize : {qint64(5), VolumeMetadataFile::DefaultChunkSize}) {
        SCOPED_TRACE(chunkSize);
        const VolumeMetadataFile metadata(SpreadSections, FilePath, chunkSize);
        EXPECT_TRUE(metadata.warnings().isEmpty()) << metadata.warnings().join(u'\n').toStdString();
        QByteArrayList folders = metadata.folders();
        std::sort(folders.begin(), folders.end());
        EXPECT_EQ(folders, QByteArrayList({"", "DATA", "OTHER"}));

        QStringList warnings;
        const OverridesByName data = metadata.folder("DATA", warnings);
        EXPECT_TRUE(warnings.isEmpty()) << warnings.join(u'\n').toStdString();
        ASSERT_EQ(data.size(), 3) << data.keys().join(' ').toStdString();
        EXPECT_EQ(data.value("A.TXT").archiver, 50002u);
        EXPECT_EQ(data.value("A.TXT").modifier, 8u);
        EXPECT_EQ(data.value("IT'S \"ODD\"\n\xE9.TXT").system, true);
        EXPECT_EQ(data.value("\xE9T\xE9.DOC").created, packDateTime(QDate(2026, 12, 7), QTime(9, 15)));
        EXPECT_EQ(metadata.folder("OTHER", warnings).value("B.TXT").archiver, 7u);
        EXPECT_EQ(metadata.folder("", warnings).value("TOP.TXT").accessed,
                  packDateTime(QDate(2026, 12, 7), QTime(0, 0)) >> 16);
        EXPECT_TRUE(metadata.folder("NOWHERE", warnings).isEmpty());

        ASSERT_EQ(metadata.deleted().size(), 1);
        EXPECT_EQ(metadata.deleted()[0].directory, "Data");
        EXPECT_EQ(metadata.deleted()[0].name, "Old.doc");
        EXPECT_EQ(metadata.deleted()[0].deletorId, 50002u);
    }
}

TEST(VolumeMetadata, AFolderReadLaterWarnsWithTheLineOfItsValue)
{
    QByteArray text = "[users]\n1001 = alice\n";
    for (int folder = 0; folder < 100; ++folder)
        text += "[entry F" + QByteArray::number(folder) + "/A.TXT]\narchiver = alice\n";
    text += "[entry F7/B.TXT]\ncreated = yesterday\ncolour = red\nno setting here\n"; // lines 203 to 206
    const VolumeMetadataFile metadata(text, FilePath, 64);
    ASSERT_EQ(metadata.warnings().size(), 1);
    EXPECT_EQ(metadata.warnings()[0], FilePath + u":206: expected \"name = value\""_s);
    QStringList warnings;
    const OverridesByName folder = metadata.folder("F7", warnings);
    EXPECT_EQ(warnings, QStringList({FilePath + u":204: cannot read created \"yesterday\""_s,
                                     FilePath + u":205: unknown entry setting \"colour\""_s}));
    EXPECT_EQ(folder.value("A.TXT").archiver, 1001u);
    EXPECT_FALSE(folder.value("B.TXT").created);
}

TEST(VolumeMetadata, IsReadFromTheFileItIndexed)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(u".netware-meta"_s);
    const auto write = [&path](const QByteArray& text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(text), text.size());
    };
    // A line longer than a chunk.
    write("[entry DATA/A.TXT]\n# " + QByteArray(300, 'x') + "\narchiver = 7\n");
    const VolumeMetadataFile metadata(path, 16);
    // Replaced, as editors save: the index and the file it was made from stay together.
    ASSERT_TRUE(QFile::rename(path, path + u".old"_s));
    write("[entry DATA/A.TXT]\narchiver = 8\n");
    QStringList warnings;
    EXPECT_EQ(metadata.folder("DATA", warnings).value("A.TXT").archiver, 7u);
    EXPECT_EQ(VolumeMetadataFile(path).folder("DATA", warnings).value("A.TXT").archiver, 8u);
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_TRUE(VolumeMetadataFile(folder.filePath(u"missing"_s)).folders().isEmpty());
    // A named pipe would block the server until someone wrote to it.
    const QString pipe = folder.filePath(u"pipe"_s);
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const VolumeMetadataFile fromPipe(pipe);
    EXPECT_EQ(fromPipe.warnings(), QStringList(pipe + u":0: cannot be read: not a regular file"_s));
}

TEST(VolumeMetadata, AFileChangedInPlaceAppliesNothingOfOtherFolders)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(u".netware-meta"_s);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[entry DATA/A.TXT]\narchiver = 7\n[entry OTHER/A.TXT]\narchiver = 9\n");
    file.flush();
    const VolumeMetadataFile metadata(path);
    // Until the server sees the change and indexes the file again, DATA's place holds OTHER's.
    ASSERT_TRUE(file.seek(0));
    file.write("[entry OTHER/A.TXT]\narchiver = 8\n[entry DATA/A.TXT]\narchiver = 6\n");
    file.flush();
    QStringList warnings;
    EXPECT_TRUE(metadata.folder("DATA", warnings).isEmpty());
}

} // namespace
} // namespace corvane
