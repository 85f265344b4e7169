#include "core/common/FileWriting.h"
#include "mock/FileSizeLimit.h"
#include "mock/PermissionOverride.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

#include <sys/stat.h>

using namespace corvane;
using namespace Qt::StringLiterals;
using corvane::test::modeOf;

namespace {

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

// A write that fails part way (here past a size limit, as on a full disk) must neither replace the
// file by a part of the new one nor pass for done.
TEST(FileWritingTest, AFailedWriteKeepsTheOldFileAndSaysWhy)
{
    QTemporaryDir temp;
    const QString path = temp.filePath(u"start-time.conf"_s);
    write(path, "the old time\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);

    int error = 0;
    {
        const test::FileSizeLimit limit(64);
        error = replaceFile(path, QByteArray(4096, 'n'));
    }
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(systemErrorText(error), u"File too large"_s);
    EXPECT_EQ(read(path), "the old time\n");
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"start-time.conf"_s});

    EXPECT_EQ(replaceFile(path, "the new time\n"), 0);
    EXPECT_EQ(read(path), "the new time\n");
    EXPECT_EQ(modeOf(path), mode_t{0640}) << "a replaced file keeps its mode";
    const QString fresh = temp.filePath(u"netware.conf"_s);
    EXPECT_EQ(replaceFile(fresh, "[drives]\n", privateFileMode), 0);
    EXPECT_EQ(modeOf(fresh), mode_t{0600});
}

TEST(FileWritingTest, FoldersAreMadeWithTheirModeOrFailWithTheReason)
{
    QTemporaryDir temp;
    QString failure;
    ASSERT_TRUE(makeFolder(temp.filePath(u"a/b/c"_s), privateFolderMode, &failure)) << failure.toStdString();
    for (const char* folder : {"a", "a/b", "a/b/c"})
        EXPECT_EQ(modeOf(temp.filePath(QString::fromLatin1(folder))), mode_t{0700}) << folder;
    EXPECT_TRUE(makeFolder(temp.filePath(u"a/b"_s), 0755, &failure)) << "a folder that is there already will do";
    EXPECT_EQ(modeOf(temp.filePath(u"a/b"_s)), mode_t{0700}) << "and keeps its mode";

    write(temp.filePath(u"file"_s), "in the way");
    EXPECT_FALSE(makeFolder(temp.filePath(u"file/sub"_s), privateFolderMode, &failure));
    EXPECT_EQ(failure.toStdString(), QString(u"cannot make the folder "_s + temp.filePath(u"file"_s) + u": File exists"_s).toStdString());

    // A home of mode 555, as an ordinary user meets it.
    const QString home = temp.filePath(u"home"_s);
    ASSERT_TRUE(QDir().mkdir(home));
    ASSERT_EQ(::chmod(QFile::encodeName(home).constData(), 0555), 0);
    {
        const test::WithoutPermissionOverride asUser;
        ASSERT_NE(::mkdir(QFile::encodeName(home + u"/probe"_s).constData(), 0700), 0)
            << "this process makes folders in a folder of mode 555";
        EXPECT_FALSE(makeFolder(home + u"/.local/share/corvane-net"_s, privateFolderMode, &failure));
    }
    EXPECT_EQ(failure.toStdString(), QString(u"cannot make the folder "_s + home + u"/.local: Permission denied"_s).toStdString());
    ::chmod(QFile::encodeName(home).constData(), 0755);
}

} // namespace
