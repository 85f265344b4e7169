#pragma once

#include "core/db/AuditDatabaseFixture.h"
#include "core/netware/EmulatedNetwork.h"
#include "core/scan/ScanRun.h"
#include "core/settings/OptionBoxes.h"
#include "core/settings/ScanSettings.h"
#include "core/settings/SettingsStore.h"
#include "mock/FakeClock.h"
#include "mock/FakeUserInterface.h"
#include "mock/TableRows.h"
#include "mock/TempRegistry.h"

#include <QLocale>
#include <QVariantMap>

#include <functional>

namespace corvane::test {

// A scan run over a temporary emulated network (F: is \\SRV1\VOL1) into a copy of the delivered
// cv.mdb, with every option at its default, a temporary registry and a clock that starts on
// Monday 12/7/2026 at 10:00. The user answers questions with the default button unless told.
class ScanRunTest : public ::testing::Test
{
protected:
    static inline const QDate Day1{2026, 12, 7};
    static inline const QDate Day2{2026, 12, 8};
    static constexpr int runawayYields = 1000000;

    ScanRunTest()
    {
        for (const FlagKey& key : flagKeys())
            settings.setFlag(key.flag, key.defaultValue);
        settings.StartTime = QStringLiteral("05:00 p");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ui.onYield = [this] {
            if (duringYield)
                duringYield();
            // A run that never ends fails the test instead of hanging it.
            if (ui.yields == runawayYields) {
                ADD_FAILURE() << "the run does not end";
                scanRun.Command2_Click();
                ui.closing = true;
            }
        };
    }
    ~ScanRunTest() override { QLocale::setDefault(QLocale::c()); }

    ScanRun::Outcome run() { return scanRun.Command1_Click(); }

    void addPath(const QString& path, const QString& specs = QStringLiteral("*.*"),
                 bool subdirectories = true)
    {
        settings.Paths.append(ScanPath{path, subdirectories});
        settings.PathSpecs.append(specs);
    }

    // A file of the first volume (relative to its top), modified and opened on the day.
    void writeFile(const QString& relative, const QDate& day = Day1, const QByteArray& contents = "data")
    {
        network.writeFile(QStringLiteral("vol1/") + relative, contents);
        const QDateTime time(day, QTime(9, 30));
        network.setTimes(QStringLiteral("vol1/") + relative, time, time);
    }
    void writeMetadata(const QByteArray& lines)
    {
        network.writeFile(QStringLiteral("vol1/.netware-meta"), "[users]\n1001 = alice\n" + lines);
    }

    QString lastScan() const
    {
        return store.get(QStringLiteral("System"), QStringLiteral("LastScan"), QStringLiteral("<unset>"));
    }
    void setLastScan(const QString& stamp)
    {
        store.save(QStringLiteral("System"), QStringLiteral("LastScan"), stamp);
    }

    // Rows as a reader sees them once the run has ended, column name to stored value.
    QList<QVariantMap> rows(const QString& table, const QString& order = QStringLiteral("rowid"))
    {
        AuditDatabase reader;
        EXPECT_FALSE(reader.open(databaseFile.path, AuditDatabase::Access::ReadOnly).isError());
        return test::tableRows(reader.connection(), table, order);
    }
    QStringList column(const QString& table, const QString& name) { return test::columnTexts(rows(table), name); }
    void seed(const char* statements)
    {
        AuditDatabase writer;
        ASSERT_FALSE(writer.open(databaseFile.path, AuditDatabase::Access::ReadWrite).isError());
        for (const QString& statement : QString::fromUtf8(statements).split(u';', Qt::SkipEmptyParts))
            ASSERT_FALSE(writer.execute(statement).isError()) << statement.toStdString();
    }

    // How many status texts began with "Scanning ".
    qsizetype scanningTexts() const
    {
        qsizetype count = 0;
        for (const QString& text : ui.statusHistory)
            count += text.startsWith(QStringLiteral("Scanning ")) ? 1 : 0;
        return count;
    }

    EmulatedNetwork network;
    TempAuditDatabase databaseFile;
    TempRegistry registry;
    SettingsStore store{registry.registry};
    ScanSettings settings;
    OptionBoxes boxes{settings, [](bool) {}};
    FakeUserInterface ui;
    FakeClock clock{QDateTime(Day1, QTime(10, 0))};
    std::function<void()> duringYield; // what the user does while the run yields
    ScanRun scanRun{ScanRunServices{ui, clock, store, settings, boxes, network.client(),
                                    network.client().configuration(), databaseFile.path}};
};

} // namespace corvane::test
