#include "cli/CommandLine.h"

#include "cli/DemoCommand.h"
#include "cli/PathCommands.h"
#include "cli/PurgeCommands.h"
#include "cli/QueryCommand.h"
#include "cli/ScanCommand.h"

#include <QTextStream>

#include <cstring>

namespace corvane::cli {

namespace {

const char* const usage =
    "Usage: cv [-t | --help | --scan | --query STATEMENT | --purge-today [--yes] | --purge-all [--yes]\n"
    "          | --list-paths | --add-path PATH [--specs SPECS] [--no-subdirs] | --remove-path N | --demo]\n"
    "\n"
    "  (no option)            open the main window\n"
    "  -t                     open the main window and start a timed scan\n"
    "  --scan                 one scan run without windows, with the stored settings: questions are\n"
    "                         answered with their default button, progress goes to standard error\n"
    "                         and the summary to standard output; Ctrl-C stops the run and nothing\n"
    "                         of it is kept. Exit status 0 when the run completed, 130 after\n"
    "                         Ctrl-C, 1 otherwise. CORVANE_NET_TIMINGS=1 adds the time of each step\n"
    "  --query STATEMENT      print the rows of a statement as CSV; never changes data\n"
    "  --purge-today [--yes]  delete today's data; --yes answers the question with Yes\n"
    "  --purge-all [--yes]    delete all data; --yes answers the question with Yes\n"
    "  --list-paths           list the scan paths: number, path, subdirectories, file specs\n"
    "  --add-path PATH        add a network directory to the scan paths, with the file specs\n"
    "    [--specs SPECS]      SPECS (default \"*.*\", separated by semicolons) and its\n"
    "    [--no-subdirs]       subdirectories unless --no-subdirs\n"
    "  --remove-path N        remove scan path number N\n"
    "  --demo                 date the demo network beside the program to today and add its\n"
    "                         volumes to the scan paths: \"cv --demo && cv --scan\" is a first scan\n"
    "  --help                 show this text\n"
    "\n"
    "cv.mdb and netware.conf (the NetWare servers) are looked for beside the program, or in the\n"
    "folder $CORVANE_NET_HOME names. Edit the scan paths while no main window is open: a window\n"
    "writes its own list back when it closes.\n";

int usageError(QTextStream& err, const QString& problem)
{
    err << "cv: " << problem << "\n\n" << usage;
    return 2;
}

// The options after a purge job: nothing, or --yes.
bool readAnswering(const QStringList& options, TerminalUserInterface::Answering& answering)
{
    if (options.isEmpty()) {
        answering = TerminalUserInterface::Answering::Ask;
        return true;
    }
    answering = TerminalUserInterface::Answering::AlwaysYes;
    return options == QStringList{QStringLiteral("--yes")};
}

} // namespace

bool isCommandLineJob(int argc, char** argv)
{
    return argc > 1 && std::strncmp(argv[1], "--", 2) == 0;
}

int run(const QStringList& arguments)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString job = arguments.value(1);
    const QStringList options = arguments.mid(2);
    if (job == QLatin1String("--help")) {
        out << usage;
        return 0;
    }
    if (job == QLatin1String("--query")) {
        if (options.size() != 1)
            return usageError(err, QStringLiteral("--query takes one statement"));
        return runQueryCommand(options.first(), out, err);
    }
    if (job == QLatin1String("--scan") || job == QLatin1String("--list-paths") ||
        job == QLatin1String("--demo")) {
        if (!options.isEmpty())
            return usageError(err, job + QStringLiteral(" takes no options"));
        if (job == QLatin1String("--scan"))
            return runScanCommand(out, err);
        return job == QLatin1String("--demo") ? runDemoCommand(out, err) : runListPathsCommand(out);
    }
    if (job == QLatin1String("--add-path"))
        return runAddPathCommand(options, out, err);
    if (job == QLatin1String("--remove-path"))
        return runRemovePathCommand(options, out, err);
    if (job == QLatin1String("--purge-today") || job == QLatin1String("--purge-all")) {
        TerminalUserInterface::Answering answering{};
        if (!readAnswering(options, answering))
            return usageError(err, QStringLiteral("unknown option ") + options.join(u' '));
        return job == QLatin1String("--purge-today") ? runPurgeTodayCommand(answering)
                                                     : runPurgeAllCommand(answering);
    }
    return usageError(err, QStringLiteral("unknown option ") + job);
}

} // namespace corvane::cli
