#pragma once

#include "core/db/DatabaseChoice.h"

#include <QStringList>

#include <optional>

namespace corvane {

class SettingsStore;

// cv --database TEXT and --station NAME, with any command that uses the audit database and with
// the window: taken out of the arguments (the program's name first) wherever they stand after
// it, so that what is left is the job and its own options. nullopt, with why, when one of them
// lacks its value or is given twice.
std::optional<AuditDatabaseChoice> takeDatabaseOptions(QStringList& arguments, QString* problem);

// The choice of this start: the database from the options, else the environment's
// CORVANE_NET_DATABASE, else the stored System/Database; the station from --station, else the
// stored System/Station. Empty parts stand for cv.mdb and the host name.
AuditDatabaseChoice startUpChoice(const AuditDatabaseChoice& options, const QString& environmentValue,
                                  const SettingsStore& store);

// Makes that choice, with this process's environment, the one the whole program uses.
void chooseStartUpDatabase(const AuditDatabaseChoice& options, const SettingsStore& store);

// A cv.mdb name whose file is missing; a PostgreSQL name never is: the server says whether
// its database is there.
bool isMissingDatabaseFile(const QString& databaseName);

// The name as messages show it: a connection text's password hidden.
QString shownDatabaseName(const QString& databaseName);

} // namespace corvane
