#pragma once

#include <QString>

namespace corvane {

class NetWareConfiguration;
struct ScanSettings;

// The main window's rules for the scan path list, shared by the window and the command line.
// Paths are compared by the place they lead to, so that a local folder of a volume, a mapped
// letter and the UNC path of one directory count as one.
enum class AddPathResult
{
    Added,
    NotNetworkDirectory, // on a removable, fixed or CD-ROM drive
    AlreadyInList,       // equal to an entry but for letter case; the window beeps
    InsideListedEntry,   // below an entry that includes its subdirectories; the window beeps
};

struct AddPathOutcome
{
    AddPathResult result = AddPathResult::Added;
    // The entry a refused path lies in; for an added path that includes its subdirectories,
    // the first entry that lies inside it, whose files two entries now scan.
    QString otherEntry;
};

// Appends the path with its check mark (include subdirectories) and the specs "*.*", and sets
// PathsChanged; a local directory, one already listed or one below an entry that includes its
// subdirectories is refused.
AddPathOutcome AddScanPath(ScanSettings& settings, const QString& path,
                           const NetWareConfiguration& configuration, bool includeSubdirectories = true);
// What the status box says about it.
QString addPathMessage(const AddPathOutcome& outcome);

// Removes entry index and its specs (the later entries move up with their specs) and sets
// PathsChanged. False for an index outside the list.
bool DeleteScanPath(ScanSettings& settings, qsizetype index);

} // namespace corvane
