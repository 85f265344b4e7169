#include "core/settings/AutomationFields.h"
#include "core/settings/OptionBoxes.h"
#include "core/settings/SettingsPersistence.h"
#include "core/settings/SettingsStore.h"
#include "mock/FakeClock.h"
#include "mock/FakeUserInterface.h"
#include "mock/TempRegistry.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

const QString options = QStringLiteral("Options");

// What the main window does at start-up and at shutdown, without the window.
class SettingsPersistenceTest : public ::testing::Test
{
protected:
    void load()
    {
        ensureSettingsRoot(temp.registry, ui);
        lastScan = loadLastScan(store);
        loadScanSettings(store, settings, {boxes, days, startTimes});
    }

    void put(const QString& section, const QString& key, const QString& text) { store.save(section, key, text); }
    QString got(const QString& section, const QString& key) const { return store.get(section, key, u"<missing>"_s); }

    QStringList pathKeys() const
    {
        QStringList keys = store.list(options).filter(QRegularExpression(QStringLiteral("^(Dir|Sub|Spec)_")));
        keys.sort();
        return keys;
    }

    test::TempRegistry temp;
    test::FakeUserInterface ui;
    test::FakeClock clock;
    SettingsStore store{temp.registry};
    ScanSettings settings;
    QList<bool> autoRunCalls;
    OptionBoxes boxes{settings, [this](bool on) { autoRunCalls.append(on); }};
    DaysToKeepBox days{settings, store, clock};
    StartTimeList startTimes{settings};
    StoredWindowSize size;
    QString lastScan;
};

TEST_F(SettingsPersistenceTest, FirstStartWithNoKeysGivesTheDefaults)
{
    load();
    EXPECT_TRUE(settings.Paths.isEmpty());
    EXPECT_TRUE(lastScan.isEmpty());
    EXPECT_FALSE(boxes.isChecked(OptionBox::cbHidden));
    EXPECT_FALSE(boxes.isChecked(OptionBox::cbSystem));
    for (const FlagKey& key : flagKeys()) {
        const QString section = QString::fromUtf16(key.section);
        if (section == u"FileInfo" || section == u"Tables") {
            EXPECT_TRUE(settings.flag(key.flag)) << QString::fromUtf16(key.key).toStdString();
        }
    }
    EXPECT_FALSE(settings.flag(Flag::AutoPurge));
    EXPECT_FALSE(settings.flag(Flag::AutoScan));
    EXPECT_FALSE(settings.flag(Flag::AutoRun));
    EXPECT_FALSE(settings.flag(Flag::ExitAfterScan));
    EXPECT_EQ(settings.DaysToKeep, 5);
    EXPECT_EQ(days.text(), QStringLiteral("5"));
    EXPECT_EQ(settings.StartTime, QStringLiteral("05:00 p"));
    EXPECT_EQ(startTimes.selectedIndex(), -1);
    EXPECT_TRUE(autoRunCalls.isEmpty());
    EXPECT_EQ(temp.registry.openKey(RootKey::CurrentUser, QString::fromUtf16(SettingsStore::settingsRoot)),
              RegError::Success);
}

TEST_F(SettingsPersistenceTest, EveryStartMovesPurgeDateByTheStoredDays)
{
    clock.set(QDateTime(QDate(2026, 12, 7), QTime(8, 0)));
    put(QStringLiteral("Misc"), QStringLiteral("DaysToKeep"), QStringLiteral("5"));
    put(QStringLiteral("System"), QStringLiteral("PurgeDate"), QStringLiteral("1/1/2020"));
    load();
    EXPECT_EQ(got(QStringLiteral("System"), QStringLiteral("PurgeDate")), QStringLiteral("12/12/2026"));
}

TEST_F(SettingsPersistenceTest, TextsThatDoNotConvertLeaveTheInitialValue)
{
    put(QStringLiteral("FileInfo"), QStringLiteral("Owner"), QStringLiteral("yes"));
    put(QStringLiteral("Misc"), QStringLiteral("DaysToKeep"), QStringLiteral("70000"));
    load();
    EXPECT_FALSE(settings.flag(Flag::Owner));
    EXPECT_EQ(settings.DaysToKeep, 0);
}

TEST_F(SettingsPersistenceTest, StoredAutoRunRewritesTheEntryAtStart)
{
    put(QStringLiteral("Misc"), QStringLiteral("AutoRun"), QStringLiteral("1"));
    load();
    EXPECT_EQ(autoRunCalls, QList<bool>{true});
}

TEST_F(SettingsPersistenceTest, PathListEndsAtTheFirstEmptyDir)
{
    put(options, QStringLiteral("Dir_0"), QStringLiteral("//SRV1/VOL1/DATA"));
    put(options, QStringLiteral("Dir_1"), QString());
    put(options, QStringLiteral("Dir_2"), QStringLiteral("//SRV1/VOL1/LOST"));
    load();
    ASSERT_EQ(settings.Paths.size(), 1);
    EXPECT_EQ(settings.Paths.first().path, QStringLiteral("//SRV1/VOL1/DATA"));
    // Missing Sub_ and Spec_ keys: subdirectories included, every file.
    EXPECT_TRUE(settings.Paths.first().includeSubdirectories);
    EXPECT_EQ(settings.PathSpecs, QStringList{QStringLiteral("*.*")});
}

TEST_F(SettingsPersistenceTest, SubAndSpecKeysBelongToTheirPath)
{
    put(options, QStringLiteral("Dir_0"), QStringLiteral("F:\\DATA"));
    put(options, QStringLiteral("Sub_0"), QStringLiteral("False"));
    put(options, QStringLiteral("Spec_0"), QStringLiteral("*.doc;*.xls"));
    put(options, QStringLiteral("Dir_1"), QStringLiteral("G:\\HOME"));
    put(options, QStringLiteral("Sub_1"), QStringLiteral("True"));
    load();
    ASSERT_EQ(settings.Paths.size(), 2);
    EXPECT_FALSE(settings.Paths.at(0).includeSubdirectories);
    EXPECT_TRUE(settings.Paths.at(1).includeSubdirectories);
    EXPECT_EQ(settings.PathSpecs, (QStringList{QStringLiteral("*.doc;*.xls"), QStringLiteral("*.*")}));
}

TEST_F(SettingsPersistenceTest, AfterDeletesThePathKeysAreRenumberedAndWindowSizesStay)
{
    for (int i = 0; i < 4; ++i)
        put(options, QStringLiteral("Dir_%1").arg(i), QStringLiteral("P%1").arg(i));
    put(options, QStringLiteral("Height2"), QStringLiteral("7000"));
    load();
    settings.Paths.removeAt(1);
    settings.PathSpecs.removeAt(1);
    settings.PathSpecs[1] = QStringLiteral("*.c");
    settings.PathsChanged = true;
    saveScanSettings(store, settings, size);

    EXPECT_EQ(pathKeys(), (QStringList{u"Dir_0"_s, u"Dir_1"_s, u"Dir_2"_s, u"Spec_0"_s, u"Spec_1"_s,
                                       u"Spec_2"_s, u"Sub_0"_s, u"Sub_1"_s, u"Sub_2"_s}));
    EXPECT_EQ(got(options, u"Dir_1"_s), u"P2"_s);
    EXPECT_EQ(got(options, u"Spec_1"_s), u"*.c"_s);
    EXPECT_EQ(got(options, u"Height2"_s), u"7000"_s);
    EXPECT_EQ(got(options, u"Width"_s), u"9735"_s);
}

TEST_F(SettingsPersistenceTest, WithoutPathChangesDirKeysStayButSubAndSpecAreRewritten)
{
    put(options, u"Dir_0"_s, u"P0"_s);
    load();
    // Another program changed the stored path meanwhile; an unchanged list must not overwrite it.
    put(options, u"Dir_0"_s, u"Elsewhere"_s);
    settings.Paths[0].includeSubdirectories = false;
    settings.PathSpecs[0] = u"*.txt"_s;
    saveScanSettings(store, settings, size);
    EXPECT_EQ(got(options, u"Dir_0"_s), u"Elsewhere"_s);
    EXPECT_EQ(got(options, u"Sub_0"_s), u"False"_s);
    EXPECT_EQ(got(options, u"Spec_0"_s), u"*.txt"_s);
}

TEST_F(SettingsPersistenceTest, SaveWritesFlagsAsDigitsAndLoadReadsThemBack)
{
    load();
    boxes.setChecked(OptionBox::cbHidden, true);
    boxes.setChecked(OptionBox::cbSize, false);
    boxes.setChecked(OptionBox::cbExit, true);
    days.setText(u"30"_s);
    startTimes.choose(2);
    saveScanSettings(store, settings, {7000, 12000});
    EXPECT_EQ(got(u"FileType"_s, u"Hidden"_s), u"1"_s);
    EXPECT_EQ(got(u"FileInfo"_s, u"Size"_s), u"0"_s);
    EXPECT_EQ(got(u"Misc"_s, u"ExitAfterScan"_s), u"1"_s);
    EXPECT_EQ(got(u"Misc"_s, u"DaysToKeep"_s), u"30"_s);
    EXPECT_EQ(got(u"Misc"_s, u"StartTime"_s), u"01:00 am"_s);
    EXPECT_EQ(got(options, u"Height"_s), u"7000"_s);

    ScanSettings again;
    OptionBoxes boxes2(again, {});
    DaysToKeepBox days2(again, store, clock);
    StartTimeList times2(again);
    loadScanSettings(store, again, {boxes2, days2, times2});
    EXPECT_EQ(again.flags, settings.flags);
    EXPECT_EQ(again.DaysToKeep, 30);
    EXPECT_EQ(times2.selectedIndex(), 2);
    EXPECT_EQ(got(options, u"Width"_s), u"12000"_s);
}

// Another cv saved while this one had the list loaded: its other values stay, and the list saved
// here replaces the whole stored list, leaving no entry of the longer one behind.
TEST_F(SettingsPersistenceTest, ASavedListReplacesTheStoredOneAndKeepsOtherValues)
{
    for (int i = 0; i < 3; ++i)
        put(options, u"Dir_%1"_s.arg(i), u"P%1"_s.arg(i));
    load();
    {
        Registry other = temp.reopen();
        SettingsStore otherStore(other);
        otherStore.save(options, u"Dir_3"_s, u"P3"_s);
        otherStore.save(options, u"Spec_3"_s, u"*.c"_s);
        otherStore.save(u"System"_s, u"LastScan"_s, u"12/07/2026 08:00 am"_s);
    }
    settings.Paths.removeAt(0);
    settings.PathSpecs.removeAt(0);
    settings.PathsChanged = true;
    EXPECT_TRUE(saveScanPaths(store, settings));
    EXPECT_EQ(pathKeys(), (QStringList{u"Dir_0"_s, u"Dir_1"_s, u"Spec_0"_s, u"Spec_1"_s, u"Sub_0"_s, u"Sub_1"_s}));
    EXPECT_EQ(got(options, u"Dir_0"_s), u"P1"_s);
    EXPECT_EQ(got(options, u"Dir_1"_s), u"P2"_s);
    EXPECT_EQ(got(u"System"_s, u"LastScan"_s), u"12/07/2026 08:00 am"_s);
}

TEST_F(SettingsPersistenceTest, ASaveThatCannotBeWrittenSaysSoAndStoresNothing)
{
    QFile notAFolder(temp.folder.filePath(u"file"_s));
    ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
    notAFolder.close();
    const QString folder = temp.folder.filePath(u"file/sub"_s);
    Registry registry({folder, folder});
    SettingsStore unwritable(registry);
    settings.Paths = {ScanPath{u"P0"_s, true}};
    settings.PathSpecs = {u"*.*"_s};
    settings.PathsChanged = true;
    EXPECT_FALSE(saveScanPaths(unwritable, settings));
    EXPECT_FALSE(saveScanSettings(unwritable, settings, size));
    EXPECT_TRUE(unwritable.list(options).isEmpty());
}

TEST_F(SettingsPersistenceTest, ABatchSkipsWhatNoHiveCanHoldAndSavesTheRest)
{
    put(options, u"Old"_s, u"x"_s);
    QStringList seen;
    EXPECT_TRUE(store.saveTogether([&](SettingsBatch& batch) {
        batch.save(options, u"Good"_s, u"1"_s);
        batch.save(options, u"Line\nBreak"_s, u"2"_s);
        batch.save(u"Empty\\\\Part"_s, u"Key"_s, u"3"_s);
        batch.remove(options, u"Old"_s);
        seen = batch.list(options);
    }));
    EXPECT_EQ(seen, QStringList{u"Good"_s});
    EXPECT_EQ(store.list(options), QStringList{u"Good"_s});
    EXPECT_EQ(got(options, u"Good"_s), u"1"_s);
}

} // namespace
