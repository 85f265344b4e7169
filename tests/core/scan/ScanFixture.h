#pragma once

#include "core/netware/EmulatedNetwork.h"

#include "core/db/AuditDatabaseFixture.h"
#include "core/scan/ScanContext.h"
#include "core/settings/ScanSettings.h"
#include "mock/FakeUserInterface.h"
#include "mock/TableRows.h"

#include <QVariantMap>

namespace corvane::test {

// A scan over a temporary emulated network into a copy of the delivered cv.mdb, with every option
// at its default, every table's row set open and the scan date 12/7/2026.
class ScanTest : public ::testing::Test
{
protected:
    ScanTest()
    {
        for (const FlagKey& key : flagKeys())
            settings.setFlag(key.flag, key.defaultValue);
        EXPECT_FALSE(database.open(databaseFile.path, AuditDatabase::Access::ReadWrite).isError());
        for (const auto& [rows, table] : {std::pair{&detail, "Detail"},
                                          {&newFiles, "NewFiles"},
                                          {&openedFiles, "OpenedFiles"},
                                          {&deletedFiles, "DeletedFiles"},
                                          {&editedFiles, "EditedFiles"},
                                          {&archivedFiles, "ArchivedFiles"}})
            EXPECT_FALSE(rows->open(QLatin1String(table)).isError()) << table;
    }

    static inline const QDate ScanDay{2026, 12, 7};

    // A table whose option is off: the run opens no row set for it.
    void turnOff(Flag table)
    {
        settings.setFlag(table, false);
        ScanRowSets& sets = context.rowSets;
        for (RowSet** rows : {&sets.DetailRs, &sets.NewFilesRs, &sets.OpenedFilesRs, &sets.DeletedFilesRs,
                              &sets.EditedFilesRs, &sets.ArchivedFilesRs}) {
            if (*rows == rowSetOf(table))
                *rows = nullptr;
        }
    }

    // The table's rows in the order they were appended, column name to stored value.
    QList<QVariantMap> rows(const QString& table)
    {
        return test::tableRows(database.connection(), table, QStringLiteral("rowid"));
    }

    QStringList column(const QString& table, const QString& name) { return test::columnTexts(rows(table), name); }

    EmulatedNetwork network;
    TempAuditDatabase databaseFile;
    AuditDatabase database;
    RowSet detail{database};
    RowSet newFiles{database};
    RowSet openedFiles{database};
    RowSet deletedFiles{database};
    RowSet editedFiles{database};
    RowSet archivedFiles{database};
    ScanSettings settings;
    FakeUserInterface ui;
    bool stop = false;
    ScanContext context{
        settings,
        ScanDay,
        network.client(),
        network.client().configuration(),
        ui,
        ScanRowSets{&detail, &newFiles, &openedFiles, &deletedFiles, &editedFiles, &archivedFiles},
        true,
        stop};

private:
    RowSet* rowSetOf(Flag table)
    {
        switch (table) {
        case Flag::FileDetail:
            return &detail;
        case Flag::NewFiles:
            return &newFiles;
        case Flag::OpenedFiles:
            return &openedFiles;
        case Flag::DeletedFiles:
            return &deletedFiles;
        case Flag::EditedFiles:
            return &editedFiles;
        case Flag::ArchivedFiles:
            return &archivedFiles;
        default:
            return nullptr;
        }
    }
};

// A packed NetWare date-time on the given day; the seconds are given as the packed field (half).
inline quint32 packedOn(const QDate& day, int hour, int minute, int secondsField)
{
    const quint32 date = static_cast<quint32>(((day.year() - 1980) << 9) | (day.month() << 5) | day.day());
    return (date << 16) | static_cast<quint32>((hour << 11) | (minute << 5) | secondsField);
}

} // namespace corvane::test
