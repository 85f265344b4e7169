#include "core/settings/RegistryData.h"
#include "core/settings/StartAtBootEntry.h"
#include "mock/FakeUserInterface.h"
#include "mock/TempRegistry.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace corvane;

namespace {

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
}

TEST_F(StartAtBootEntryTest, UncheckingRemovesBoth)
{
    entry.apply(true);
    entry.apply(false);
    RegistryValue value;
    EXPECT_EQ(queryRunValue(&value), RegError::FileNotFound);
    EXPECT_FALSE(QFile::exists(entry.autostartFile()));
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
