#include "cli/CommandLine.h"

#include "cli/DemoCommand.h"
#include "cli/PathCommands.h"
#include "cli/PurgeCommands.h"
#include "cli/ReadAuditCommand.h"
#include "cli/QueryCommand.h"
#include "cli/ScanCommand.h"
#include "cli/TimerCommand.h"
#include "core/common/AppFolder.h"
#include "core/common/ProgramArguments.h"

#include <QTextStream>

namespace corvane::cli {

namespace {

const char* const usage =
    "Usage: cv [-t | -h | --help | --version | --scan [--again] | --query STATEMENT | --purge-today [--yes]\n"
    "          | --purge-all [--yes] | --list-paths | --add-path PATH [--specs SPECS] [--no-subdirs]\n"
    "          | --remove-path N | --demo | --write-timer | --read-audit]\n"
    "\n"
    "  (no option)            open the main window\n"
    "  -t                     open the main window and start a timed scan\n"
    "  --scan                 one scan run without windows, with the stored settings: questions are\n"
    "                         answered with their default button, progress goes to standard error\n"
    "                         and the summary to standard output; Ctrl-C stops the run and nothing\n"
    "                         of it is kept. With \"Auto-start scan\" checked the run waits for the\n"
    "                         start time. A day already scanned is not scanned again (a second run\n"
    "                         would record the day's events twice): the run says so and ends.\n"
    "                         Exit status 0 when the run completed or today's scan was done already,\n"
    "                         130 after Ctrl-C, 1 otherwise, also when rows of the run could not be\n"
    "                         recorded (the summary says how many). CORVANE_NET_TIMINGS=1 adds the\n"
    "                         time of each step\n"
    "    [--again]            first delete the data today's scans recorded, then scan\n"
    "  --query STATEMENT      print the rows of a statement as CSV; never changes data\n"
    "  --purge-today [--yes]  delete today's data; --yes answers the question with Yes\n"
    "  --purge-all [--yes]    delete all data; --yes answers the question with Yes. Exit status 0\n"
    "                         when the data was purged; 1 otherwise, with the reason on standard\n"
    "                         error (a purge that fails deletes nothing)\n"
    "  --list-paths           list the scan paths: number, path, subdirectories, file patterns\n"
    "  --add-path PATH        add a network directory to the scan paths, with the file patterns\n"
    "    [--specs SPECS]      SPECS (default \"*.*\", separated by semicolons) and its\n"
    "    [--no-subdirs]       subdirectories unless --no-subdirs\n"
    "  --remove-path N        remove scan path number N\n"
    "  --demo                 date the demo network in the application folder to today and add its\n"
    "                         volumes to the scan paths: \"cv --demo && cv --scan\" is a first scan\n"
    "  --write-timer          set the systemd user timer corvane-net-scan.timer to the stored start\n"
    "                         time, in ~/.config/systemd/user/corvane-net-scan.timer.d/\n"
    "  --read-audit           read what the audit logs of Samba shares (see netware.conf) gained\n"
    "                         since the last reading into the servers' own stores, for cron or a\n"
    "                         timer; a scan does it too. One line per volume on standard output;\n"
    "                         exit status 1 when a log or store could not be read\n"
    "  -h, --help             show this text\n"
    "  --version              show the version of cv\n"
    "\n"
    "Exit status 0 on success, 1 when the job failed, 2 for options cv does not know.\n"
    "\n"
    "cv.mdb, faq.fil and netware.conf (the NetWare servers) live in the application folder: the\n"
    "folder $CORVANE_NET_HOME names; else the program's folder when it holds a cv.mdb the user may\n"
    "write; else $XDG_DATA_HOME/corvane-net (~/.local/share/corvane-net). Each start gives that folder\n"
    "what it lacks of the installed copies, and a new folder an empty cv.mdb; a folder in use whose\n"
    "cv.mdb is gone is reported, not given an empty one. Settings: ~/.config/corvane-net,\n"
    "/etc/corvane-net, or the folder $CORVANE_NET_REGISTRY names. Edit the scan paths while no main\n"
    "window is open: a window writes its own list back when it closes. \"man cv\" tells more.\n";

// One line for what was wrong, and where to read more: the whole help would bury the line.
int usageError(QTextStream& err, const QString& problem)
{
    err << "cv: " << problem << "\nTry \"cv --help\" for the options.\n";
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
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return !opensMainWindow(arguments);
}

int run(const QStringList& arguments)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString job = arguments.value(1);
    const QStringList options = arguments.mid(2);
    if (job == QLatin1String("--help") || job == QLatin1String("-h")) {
        out << usage;
        return 0;
    }
    if (job == QLatin1String("--version")) {
        out << "cv (Corvane Net) " << CV_VERSION << '\n';
        return 0;
    }
    if (job == QLatin1String("--write-timer")) {
        if (!options.isEmpty())
            return usageError(err, job + QStringLiteral(" takes no options"));
        return runWriteTimerCommand(out, err);
    }
    if (QString failure; !prepareApplicationFolder(&failure)) {
        err << "cv: " << failure << '\n';
        return 1;
    }
    if (job == QLatin1String("--query")) {
        if (options.size() != 1)
            return usageError(err, QStringLiteral("--query takes one statement"));
        return runQueryCommand(options.first(), out, err);
    }
    if (job == QLatin1String("--scan")) {
        if (!options.isEmpty() && options != QStringList{QStringLiteral("--again")})
            return usageError(err, QStringLiteral("unknown option ") + options.join(u' '));
        return runScanCommand(options.isEmpty() ? Rescan::AskAsTheWindowDoes : Rescan::PurgeTodayFirst, out, err);
    }
    if (job == QLatin1String("--list-paths") || job == QLatin1String("--demo") ||
        job == QLatin1String("--read-audit")) {
        if (!options.isEmpty())
            return usageError(err, job + QStringLiteral(" takes no options"));
        if (job == QLatin1String("--read-audit"))
            return runReadAuditCommand(out, err);
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
    // "-t" is the window's, and only alone.
    if (job.trimmed().compare(u"-t", Qt::CaseInsensitive) == 0)
        return usageError(err, QStringLiteral("-t takes no options"));
    return usageError(err, QStringLiteral("unknown option ") + job);
}

} // namespace corvane::cli
