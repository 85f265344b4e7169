#pragma once

#include <QString>

namespace corvane {

// The application folder: where cv.mdb, faq.fil, netware.conf, statement and CSV files live;
// always ends in "/". CORVANE_NET_HOME names it when set. Otherwise it is the program's own
// folder when that holds a cv.mdb the user may write (a build tree, an install into one folder
// the users may write), and else the user's own $XDG_DATA_HOME/corvane-net/, which
// prepareApplicationFolder makes from the installed copies.
QString applicationFolder();

// The folder of the running executable, ending in "/".
QString programFolder();

// The choice applicationFolder makes, from its inputs: the CORVANE_NET_HOME value, the
// program's folder and the user's data folder ($XDG_DATA_HOME or ~/.local/share).
QString chooseApplicationFolder(const QString& homeOverride, const QString& programFolder,
                                const QString& userDataFolder);

// Where an installed program keeps the copies a user's folder starts from: the program's
// folder when it holds cv.mdb, else <prefix>/share/corvane-net/ beside <prefix>/bin.
QString installedCopiesFolder(const QString& programFolder);

// Gives an application folder what it lacks of the installed copies: faq.fil, the demo network,
// and netware.conf from the machine's settings folder when the administrator put one there; and
// cv.mdb when the folder is new (missing or empty): in a folder in use a missing cv.mdb was lost,
// which the user must hear of. Never writes over a file the folder holds. What it makes is the
// user's alone: folders 0700, files 0600. False, with the reason, when the folder or a copy cannot
// be made.
bool seedApplicationFolder(const QString& folder, const QString& copiesFolder,
                           const QString& machineSettingsFolder, QString* failure);

// Seeds the application folder (see applicationFolder), the user's own or the one CORVANE_NET_HOME
// names; does nothing for the program's own folder, which holds the copies.
bool prepareApplicationFolder(QString* failure);

} // namespace corvane
