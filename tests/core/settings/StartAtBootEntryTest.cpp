#include "core/settings/RegistryData.h"
#include "core/settings/StartAtBootEntry.h"
#include "mock/FakeUserInterface.h"
#include "mock/TempRegistry.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QScopeGuard>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace corvane;

namespace {

// Root writes every file whatever its mode. For the life of this object the test's thread obeys
// the modes as any user does: the capabilities that override them leave its effective set (and
// only that, so they can be taken back; capabilities belong to the thread).
class ModesBindRoot
{
public:
    ModesBindRoot()
    {
        m_saved = ::syscall(SYS_capget, &m_header, m_data) == 0;
        if (!m_saved)
            return;
        __user_cap_data_struct reduced[2] = {m_data[0], m_data[1]};
        for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            reduced[capability / 32].effective &= ~(1u << (capability % 32));
        ::syscall(SYS_capset, &m_header, reduced);
    }
    ~ModesBindRoot()
    {
        if (m_saved)
            ::syscall(SYS_capset, &m_header, m_data);
    }
    ModesBindRoot(const ModesBindRoot&) = delete;
    ModesBindRoot& operator=(const ModesBindRoot&) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_data[2] = {};
    bool m_saved = false;
};

class StartAtBootEntryTest : public ::testing::Test
{
protected:
    long queryRunValue(RegistryValue* value) const
    {
        return temp.registry.queryValue(RootKey::LocalMachine, QString::fromUtf16(StartAtBootEntry::runKey),
                                        QStringLiteral("Corvane Net"), value);
    }

    test::TempRegistry temp;
    test::FakeUserInterface ui;
    QTemporaryDir autostart;
    StartAtBootEntry entry{temp.registry, ui, QStringLiteral("/opt/corvane net/"), autostart.path()};
};

TEST_F(StartAtBootEntryTest, CheckingWritesTheRunValueAndTheAutostartEntry)
{
    entry.apply(true);
    RegistryValue value;
    ASSERT_EQ(queryRunValue(&value), RegError::Success);
    EXPECT_EQ(value.type, RegType::Sz);
    EXPECT_EQ(RegistryData::textFromSz(value.data), QStringLiteral("/opt/corvane net/cv -t"));

    QFile file(entry.autostartFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString desktopEntry = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(desktopEntry.startsWith(QStringLiteral("[Desktop Entry]\n")));
    EXPECT_TRUE(desktopEntry.contains(QStringLiteral("\nExec=\"/opt/corvane net/cv\" -t\n")));
    // Desktops skip an entry whose TryExec is gone, so a removed program is not started.
    EXPECT_TRUE(desktopEntry.contains(QStringLiteral("\nTryExec=/opt/corvane net/cv\n")));
}

TEST_F(StartAtBootEntryTest, UncheckingRemovesBoth)
{
    entry.apply(true);
    entry.apply(false);
    RegistryValue value;
    EXPECT_EQ(queryRunValue(&value), RegError::FileNotFound);
    EXPECT_FALSE(QFile::exists(entry.autostartFile()));
}

TEST_F(StartAtBootEntryTest, TheUsersChoiceRulesTheirEntryWhenTheMachineValueCannotChange)
{
    // The value written by another account (the administrator) in a folder this user may not write.
    entry.apply(true);
    const QString machineFolder = temp.folder.path();
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup;
    ASSERT_TRUE(QFile::setPermissions(machineFolder, readOnly));
    const auto writableAgain = qScopeGuard([&] { QFile::setPermissions(machineFolder, readOnly | QFile::WriteOwner); });
    const ModesBindRoot modes;
    RegistryValue value;

    entry.apply(false);
    EXPECT_EQ(queryRunValue(&value), RegError::Success) << "the test needs a Run value that stays";
    EXPECT_FALSE(QFile::exists(entry.autostartFile())) << "unchecked, the user is no longer started";

    entry.apply(true);
    EXPECT_TRUE(QFile::exists(entry.autostartFile())) << "checked, with the value in place";
}

TEST_F(StartAtBootEntryTest, NoAutostartEntryWithoutTheRunValue)
{
    // The machine hive cannot be written: the Run value stays missing, so must the entry.
    test::FakeUserInterface ui2;
    Registry readOnly(Registry::Location{temp.folder.path(), QStringLiteral("/proc/corvane-net-nowhere")});
    StartAtBootEntry denied(readOnly, ui2, QStringLiteral("/opt/cv/"), autostart.path());
    denied.apply(true);
    EXPECT_FALSE(QFile::exists(denied.autostartFile()));
    EXPECT_TRUE(ui2.messages.isEmpty());
}

} // namespace
