#pragma once

#include <QStringList>

namespace corvane::cli {

// True when the arguments ask for a job without windows: anything but none and "-t".
bool isCommandLineJob(int argc, char** argv);

// Runs the job and returns the process exit status.
int run(const QStringList& arguments);

} // namespace corvane::cli
