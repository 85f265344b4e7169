#pragma once

#include <QList>
#include <QStringList>

class QTextStream;

namespace corvane::cli {

// One job of the command line: the names that ask for it, its lines of the help, whether it works
// in the application folder (which is made ready first), and what runs it with the arguments
// after its name.
struct Command
{
    enum class Folder
    {
        Needed,
        NotNeeded
    };

    QStringList names;
    const char* help;
    Folder folder;
    int (*run)(const QString& name, const QStringList& options, QTextStream& out, QTextStream& err);
};

// The jobs in the order the help lists them.
const QList<Command>& commands();

// True when the arguments ask for a job without windows: anything but none and "-t".
bool isCommandLineJob(int argc, char** argv);

// Runs the job and returns the process exit status.
int run(const QStringList& arguments);

} // namespace corvane::cli
