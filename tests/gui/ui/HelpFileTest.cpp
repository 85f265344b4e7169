#include "gui/ui/HelpFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

// The desktop's launcher stood in for by a script that ends with the given status, as
// xdg-open ends with 3 when no program opens the file's type.
class DesktopTextFileOpenerTest : public ::testing::Test
{
protected:
    QString launcher(int exitStatus)
    {
        const QString path = folder.filePath(u"launcher-%1"_s.arg(exitStatus));
        QFile script(path);
        EXPECT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho \"$1\" > \"$0.args\"\nexit " + QByteArray::number(exitStatus) + "\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    std::optional<bool> answerOf(const QString& launcherPath)
    {
        std::optional<bool> answer;
        DesktopTextFileOpener(launcherPath).open(u"/some/faq.fil"_s, [&answer](bool opened) {
            answer = opened;
        });
        // The launcher is waited for in the event loop; the limit only guards a hung test.
        EXPECT_TRUE(QTest::qWaitFor([&answer] { return answer.has_value(); }, 60000));
        return answer;
    }

    QTemporaryDir folder;
};

TEST_F(DesktopTextFileOpenerTest, TheLaunchersExitStatusSaysWhetherAProgramTookTheFile)
{
    const QString opens = launcher(0);
    EXPECT_EQ(answerOf(opens), true);
    QFile arguments(opens + u".args"_s);
    ASSERT_TRUE(arguments.open(QIODevice::ReadOnly));
    EXPECT_EQ(arguments.readAll(), "/some/faq.fil\n");

    EXPECT_EQ(answerOf(launcher(3)), false);
    EXPECT_EQ(answerOf(folder.filePath(u"no-such-launcher"_s)), false);
}

} // namespace
