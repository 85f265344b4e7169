#include "core/common/AppFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace corvane;

namespace {

// An installed program's copies, a machine settings folder and a user's data folder, all temporary.
class AppFolderTest : public ::testing::Test
{
protected:
    AppFolderTest()
    {
        write(copies + u"/cv.mdb", "empty database");
        write(copies + u"/faq.fil", "help");
        write(copies + u"/demo/netware.conf", "[server CORVANE]\n");
        write(copies + u"/demo/VOL1/PUBLIC/README.TXT", "readme");
    }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(path.section(u'/', 0, -2));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
    }
    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    bool seed(QString* failure) const { return seedApplicationFolder(user, copies, machine, failure); }

    QTemporaryDir temp;
    const QString copies = temp.filePath(QStringLiteral("usr/share/corvane-net"));
    const QString machine = temp.filePath(QStringLiteral("etc"));
    const QString user = temp.filePath(QStringLiteral("home/.local/share/corvane-net"));
};

TEST_F(AppFolderTest, TheChoiceFollowsOverrideThenAWritableProgramFolderThenTheUsersFolder)
{
    const QString program = temp.filePath(QStringLiteral("bin"));
    QDir().mkpath(program);
    EXPECT_EQ(chooseApplicationFolder(QStringLiteral("/elsewhere"), program, QStringLiteral("/data")),
              QStringLiteral("/elsewhere/"));
    EXPECT_EQ(chooseApplicationFolder({}, program, QStringLiteral("/data")), QStringLiteral("/data/corvane-net/"));

    write(program + u"/cv.mdb", "a build tree's working copy");
    EXPECT_EQ(chooseApplicationFolder({}, program, QStringLiteral("/data")), program + u'/');
    // A cv.mdb the user may not write (an install into one folder) sends the user home; as root
    // every file is writable, so only the file's mode can show it here when not root.
    if (geteuid() != 0) {
        QFile::setPermissions(program + u"/cv.mdb", QFile::ReadOwner);
        EXPECT_EQ(chooseApplicationFolder({}, program, QStringLiteral("/data")),
                  QStringLiteral("/data/corvane-net/"));
    }

    EXPECT_EQ(installedCopiesFolder(program), program + u'/');
    EXPECT_EQ(installedCopiesFolder(temp.filePath(QStringLiteral("usr/bin"))), copies + u'/');
}

TEST_F(AppFolderTest, AFirstStartCopiesEverythingAndNetwareConfOnlyFromTheMachine)
{
    QString failure;
    ASSERT_TRUE(seed(&failure)) << failure.toStdString();
    EXPECT_EQ(read(user + u"/cv.mdb"), "empty database");
    EXPECT_EQ(read(user + u"/faq.fil"), "help");
    EXPECT_EQ(read(user + u"/demo/VOL1/PUBLIC/README.TXT"), "readme");
    EXPECT_FALSE(QFile::exists(user + u"/netware.conf"));
    EXPECT_TRUE(QFile::permissions(user + u"/cv.mdb") & QFile::WriteOwner);

    write(machine + u"/netware.conf", "[server SITE]\n");
    ASSERT_TRUE(seed(&failure)) << failure.toStdString();
    EXPECT_EQ(read(user + u"/netware.conf"), "[server SITE]\n");
}

TEST_F(AppFolderTest, ALaterStartNeverWritesOverTheUsersFiles)
{
    QString failure;
    ASSERT_TRUE(seed(&failure));
    write(user + u"/cv.mdb", "the user's rows");
    write(user + u"/netware.conf", "[server MINE]\n");
    write(user + u"/demo/netware.conf", "dated demo");
    QFile::remove(user + u"/faq.fil");
    write(copies + u"/cv.mdb", "a newer empty database");
    write(machine + u"/netware.conf", "[server SITE]\n");

    ASSERT_TRUE(seed(&failure)) << failure.toStdString();
    EXPECT_EQ(read(user + u"/cv.mdb"), "the user's rows");
    EXPECT_EQ(read(user + u"/netware.conf"), "[server MINE]\n");
    EXPECT_EQ(read(user + u"/demo/netware.conf"), "dated demo");
    EXPECT_EQ(read(user + u"/faq.fil"), "help");
}

TEST_F(AppFolderTest, AnInterruptedDemoCopyIsMadeAgainAndMissingCopiesAreAnError)
{
    write(user + u"/demo.partial/half", "cut short");
    QString failure;
    ASSERT_TRUE(seed(&failure)) << failure.toStdString();
    EXPECT_FALSE(QFile::exists(user + u"/demo.partial"));
    EXPECT_FALSE(QFile::exists(user + u"/demo/half"));
    EXPECT_EQ(read(user + u"/demo/netware.conf"), "[server CORVANE]\n");

    EXPECT_FALSE(seedApplicationFolder(temp.filePath(QStringLiteral("other")), temp.filePath(QStringLiteral("none")),
                                       machine, &failure));
    EXPECT_EQ(failure, QStringLiteral("no installed cv.mdb in ") + temp.filePath(QStringLiteral("none/")) +
                           QStringLiteral(" to start ") + temp.filePath(QStringLiteral("other/")) +
                           QStringLiteral(" from"));
}

} // namespace
