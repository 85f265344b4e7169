#pragma once

#include <QString>

namespace corvane {

class NetWareConfiguration;
struct ScanSettings;

// The main window's rules for the scan path list, shared by the window and the command line.
enum class AddPathResult
{
    Added,
    NotNetworkDirectory, // on a removable, fixed or CD-ROM drive
    AlreadyInList,       // equal to an entry but for letter case; the window beeps
};

// Appends the path with its check mark set (include subdirectories) and the specs "*.*", and
// sets PathsChanged; a local directory or one already listed is refused.
AddPathResult AddScanPath(ScanSettings& settings, const QString& path,
                          const NetWareConfiguration& configuration);
// What the status box says about it.
QString addPathMessage(AddPathResult result);

// Removes entry index and its specs (the later entries move up with their specs) and sets
// PathsChanged. False for an index outside the list.
bool DeleteScanPath(ScanSettings& settings, qsizetype index);

} // namespace corvane
