#include "cli/CommandLine.h"

#include "cli/DemoCommand.h"
#include "cli/PathCommands.h"
#include "cli/PurgeCommands.h"
#include "cli/ReadAuditCommand.h"
#include "cli/QueryCommand.h"
#include "cli/ScanCommand.h"
#include "cli/TimerCommand.h"
#include "core/common/AppFolder.h"

#include <QTextStream>

#include <cstring>

namespace corvane::cli {

namespace {

const char* const usage =
    "Usage: cv [-t | --help | --scan | --query STATEMENT | --purge-today [--yes] | --purge-all [--yes]\n"
    "          | --list-paths | --add-path PATH [--specs SPECS] [--no-subdirs] | --remove-path N | --demo\n"
    "          | --write-timer | --read-audit]\n"
    "\n"
    "  (no option)            open the main window\n"
    "  -t                     open the main window and start a timed scan\n"
    "  --scan                 one scan run without windows, with the stored settings: questions are\n"
    "                         answered with their default button, progress goes to standard error\n"
    "                         and the summary to standard output; Ctrl-C stops the run and nothing\n"
    "                         of it is kept. With \"Auto-start scan\" checked the run waits for the\n"
    "                         start time. Exit status 0 when the run completed, 130 after Ctrl-C,\n"
    "                         1 otherwise. CORVANE_NET_TIMINGS=1 adds the time of each step\n"
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
    "  --help                 show this text\n"
    "\n"
    "Exit status 0 on success, 1 when the job failed, 2 for options cv does not know.\n"
    "\n"
    "cv.mdb, faq.fil and netware.conf (the NetWare servers) live in the application folder: the\n"
    "folder $CORVANE_NET_HOME names; else the program's folder when it holds a cv.mdb the user may\n"
    "write; else $XDG_DATA_HOME/corvane-net (~/.local/share/corvane-net), made at the first start\n"
    "from the installed copies. Settings: ~/.config/corvane-net, /etc/corvane-net, or the folder\n"
    "$CORVANE_NET_REGISTRY names. Edit the scan paths while no main window is open: a window\n"
    "writes its own list back when it closes. \"man cv\" tells more.\n";

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
    if (job == QLatin1String("--scan") || job == QLatin1String("--list-paths") ||
        job == QLatin1String("--demo") || job == QLatin1String("--read-audit")) {
        if (!options.isEmpty())
            return usageError(err, job + QStringLiteral(" takes no options"));
        if (job == QLatin1String("--read-audit"))
            return runReadAuditCommand(out, err);
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
