#include "core/common/AppFolder.h"
#include "mock/PermissionOverride.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace corvane;
using namespace Qt::StringLiterals;
using corvane::test::modeOf;

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

// Who did what to which file is private: what the seeding makes is its user's alone.
TEST_F(AppFolderTest, WhatAFirstStartMakesIsTheUsersAlone)
{
    QString failure;
    ASSERT_TRUE(seed(&failure)) << failure.toStdString();
    for (const QString& folder : QStringList{user, user + u"/demo"_s, user + u"/demo/VOL1/PUBLIC"_s})
        EXPECT_EQ(modeOf(folder), mode_t{0700}) << folder.toStdString();
    for (const QString& file :
         QStringList{user + u"/cv.mdb"_s, user + u"/faq.fil"_s, user + u"/demo/VOL1/PUBLIC/README.TXT"_s})
        EXPECT_EQ(modeOf(file), mode_t{0600}) << file.toStdString();
}

// A cv.mdb gone from a folder in use was lost: an empty one in its place would hide that. A new
// folder, or an empty one, is given one.
TEST_F(AppFolderTest, OnlyANewOrEmptyFolderIsGivenAnEmptyDatabase)
{
    QString failure;
    ASSERT_TRUE(seed(&failure));
    QFile::remove(user + u"/cv.mdb"_s);
    QFile::remove(user + u"/faq.fil"_s);
    ASSERT_TRUE(seed(&failure)) << failure.toStdString();
    EXPECT_FALSE(QFile::exists(user + u"/cv.mdb"_s));
    EXPECT_EQ(read(user + u"/faq.fil"), "help") << "what else is missing is still given";

    const QString empty = temp.filePath(QStringLiteral("made-by-hand"));
    ASSERT_TRUE(QDir().mkpath(empty));
    ASSERT_TRUE(seedApplicationFolder(empty, copies, machine, &failure)) << failure.toStdString();
    EXPECT_EQ(read(empty + u"/cv.mdb"), "empty database");
    // A folder in use needs no installed cv.mdb to be given the rest.
    EXPECT_TRUE(seedApplicationFolder(user, temp.filePath(QStringLiteral("none")), machine, &failure))
        << failure.toStdString();
}

TEST_F(AppFolderTest, AFolderThatCannotBeMadeSaysWhy)
{
    const QString home = temp.filePath(QStringLiteral("readonly-home"));
    ASSERT_TRUE(QDir().mkpath(home));
    ASSERT_EQ(::chmod(QFile::encodeName(home).constData(), 0555), 0);
    QString failure;
    {
        const test::WithoutPermissionOverride asUser;
        ASSERT_NE(::mkdir(QFile::encodeName(home + u"/probe"_s).constData(), 0700), 0)
            << "this process makes folders in a folder of mode 555";
        EXPECT_FALSE(seedApplicationFolder(home + u"/.local/share/corvane-net"_s, copies, machine, &failure));
    }
    ::chmod(QFile::encodeName(home).constData(), 0755);
    EXPECT_EQ(failure.toStdString(), QString(u"cannot make the folder "_s + home + u"/.local: Permission denied"_s).toStdString());
}

} // namespace
