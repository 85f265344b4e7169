#pragma once

#include <QStringList>
#include <QTextStream>

namespace corvane {
class SettingsStore;
struct ScanSettings;
} // namespace corvane

namespace corvane::cli {

// Editing the scan path list without windows, stored exactly as the main window stores it when
// it closes after an add or delete: the Dir_, Sub_ and Spec_ keys renumbered from 0. Entries are
// numbered from 1 on the command line. Best done while no main window is open, since a window
// writes its own list back when it closes.

// `cv --list-paths`: one line per entry: number, path, "subdirectories" or "no subdirectories",
// and the specs, separated by tabs.
int runListPathsCommand(QTextStream& out);

// `cv --add-path PATH [--specs "*.doc;*.xls"] [--no-subdirs]`: the main window's rules (network
// directories only, no entry twice, letter case aside). A local path is made absolute first.
int runAddPathCommand(const QStringList& options, QTextStream& out, QTextStream& err);

// `cv --remove-path N`.
int runRemovePathCommand(const QStringList& options, QTextStream& out, QTextStream& err);

// Saves the path list as the commands do; false, with the reason on err, when the hive could
// not be written, which leaves the stored list as it was.
bool saveScanPathList(SettingsStore& store, const ScanSettings& settings, QTextStream& err);

} // namespace corvane::cli
