#pragma once

#include <QDate>

namespace corvane {

class NetWareClient;
class NetWareConfiguration;
class RowSet;
class StretchRecorder;
class UserInterfacePort;
struct ScanSettings;

// The row sets a scan run appends through; null when the table's option is off.
struct ScanRowSets
{
    RowSet* DetailRs = nullptr;
    RowSet* NewFilesRs = nullptr;
    RowSet* OpenedFilesRs = nullptr;
    RowSet* DeletedFilesRs = nullptr;
    RowSet* EditedFilesRs = nullptr;
    RowSet* ArchivedFilesRs = nullptr;
};

// What the directory scan and the extended-information scan share with the run that
// calls them: the settings (flags), the run's date, the client, the port, the row sets,
// the network mode of the path entry being scanned, the stop request and the count of
// files found.
struct ScanContext
{
    const ScanSettings& settings;
    const QDate ScanDate; // every event row is of this day, and carries it
    NetWareClient& client;
    const NetWareConfiguration& configuration; // lists UNC and drive-letter paths on Linux
    UserInterfacePort& ui;
    ScanRowSets rowSets;
    bool networkMode = true;
    const bool& StopRequested;
    qint32 FilesFound = 0;
    // Records the directory of every Detail row appended, when the run keeps the day's stretches.
    StretchRecorder* detailStretches = nullptr;
};

} // namespace corvane
