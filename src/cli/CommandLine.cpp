#include "cli/CommandLine.h"

#include "cli/CopyToCommand.h"
#include "cli/DemoCommand.h"
#include "cli/InitDatabaseCommand.h"
#include "cli/PathCommands.h"
#include "cli/PurgeCommands.h"
#include "cli/ReadAuditCommand.h"
#include "cli/QueryCommand.h"
#include "cli/ScanCommand.h"
#include "cli/TimerCommand.h"
#include "core/common/AppFolder.h"
#include "core/common/ProgramArguments.h"
#include "core/scan/StartUpDatabase.h"
#include "core/settings/Registry.h"
#include "core/settings/SettingsStore.h"

#include <QTextStream>

namespace corvane::cli {

namespace {

// What comes before the commands' lines in the help: the synopsis and the window's own starts.
const char* const usageHead =
    "Usage: cv [-t | -h | --help | --version | --scan [--again] | --query STATEMENT | --purge-today [--yes]\n"
    "          | --purge-all [--yes] | --list-paths | --add-path PATH [--specs SPECS] [--no-subdirs]\n"
    "          | --remove-path N | --demo | --write-timer | --read-audit | --init-database\n"
    "          | --copy-to DATABASE] [--database TEXT] [--station NAME]\n"
    "\n"
    "  (no option)            open the main window\n"
    "  -t                     open the main window and start a timed scan\n"
    "  --database TEXT        with the window and any job: the audit database to use instead of cv.mdb\n"
    "                         in the application folder; else $CORVANE_NET_DATABASE, else the stored\n"
    "                         setting System/Database. A libpq connection URI (postgresql://host/db)\n"
    "                         or key=value string (service=corvane) names a central database on\n"
    "                         PostgreSQL (passwords from ~/.pgpass or $PGPASSFILE, never stored by\n"
    "                         cv); any other text is the path of a cv.mdb\n"
    "  --station NAME         the station this machine scans as into a central database; else the\n"
    "                         stored setting System/Station, else the host name\n";

const char* const usageFoot =
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

int unknownOptions(QTextStream& err, const QStringList& options)
{
    return usageError(err, QStringLiteral("unknown option ") + options.join(u' '));
}

int takesNoOptions(QTextStream& err, const QString& job)
{
    return usageError(err, job + QStringLiteral(" takes no options"));
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

int showHelp(const QString&, const QStringList&, QTextStream& out, QTextStream&)
{
    out << usageHead;
    for (const Command& command : commands())
        out << command.help;
    out << usageFoot;
    return 0;
}

int showVersion(const QString&, const QStringList&, QTextStream& out, QTextStream&)
{
    out << "cv (Corvane Net) " << CV_VERSION << '\n';
    return 0;
}

int scan(const QString&, const QStringList& options, QTextStream& out, QTextStream& err)
{
    if (!options.isEmpty() && options != QStringList{QStringLiteral("--again")})
        return unknownOptions(err, options);
    return runScanCommand(options.isEmpty() ? Rescan::AskAsTheWindowDoes : Rescan::PurgeTodayFirst, out, err);
}

int query(const QString&, const QStringList& options, QTextStream& out, QTextStream& err)
{
    if (options.size() != 1)
        return usageError(err, QStringLiteral("--query takes one statement"));
    return runQueryCommand(options.first(), out, err);
}

template <int (*purge)(TerminalUserInterface::Answering)>
int purgeAnswering(const QString&, const QStringList& options, QTextStream&, QTextStream& err)
{
    TerminalUserInterface::Answering answering{};
    if (!readAnswering(options, answering))
        return unknownOptions(err, options);
    return purge(answering);
}

// A job that takes no options.
template <int (*job)(QTextStream& out, QTextStream& err)>
int alone(const QString& name, const QStringList& options, QTextStream& out, QTextStream& err)
{
    if (!options.isEmpty())
        return takesNoOptions(err, name);
    return job(out, err);
}

int listPaths(QTextStream& out, QTextStream&)
{
    return runListPathsCommand(out);
}

// A job that reads its options itself.
template <int (*job)(const QStringList& options, QTextStream& out, QTextStream& err)>
int withOptions(const QString&, const QStringList& options, QTextStream& out, QTextStream& err)
{
    return job(options, out, err);
}

const Command* commandNamed(const QString& name)
{
    for (const Command& command : commands()) {
        if (command.names.contains(name))
            return &command;
    }
    return nullptr;
}

} // namespace

const QList<Command>& commands()
{
    using enum Command::Folder;
    static const QList<Command> table{
        {{QStringLiteral("--scan")},
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
         "    [--again]            first delete the data today's scans recorded, then scan\n",
         Needed, scan},
        {{QStringLiteral("--query")},
         "  --query STATEMENT      print the rows of a statement as CSV; never changes data\n", Needed, query},
        {{QStringLiteral("--purge-today")},
         "  --purge-today [--yes]  delete today's data; --yes answers the question with Yes\n", Needed,
         purgeAnswering<runPurgeTodayCommand>},
        {{QStringLiteral("--purge-all")},
         "  --purge-all [--yes]    delete all data; --yes answers the question with Yes. Exit status 0\n"
         "                         when the data was purged; 1 otherwise, with the reason on standard\n"
         "                         error (a purge that fails deletes nothing)\n",
         Needed, purgeAnswering<runPurgeAllCommand>},
        {{QStringLiteral("--list-paths")},
         "  --list-paths           list the scan paths: number, path, subdirectories, file patterns\n", Needed,
         alone<listPaths>},
        {{QStringLiteral("--add-path")},
         "  --add-path PATH        add a network directory to the scan paths, with the file patterns\n"
         "    [--specs SPECS]      SPECS (default \"*.*\", separated by semicolons) and its\n"
         "    [--no-subdirs]       subdirectories unless --no-subdirs\n",
         Needed, withOptions<runAddPathCommand>},
        {{QStringLiteral("--remove-path")}, "  --remove-path N        remove scan path number N\n", Needed,
         withOptions<runRemovePathCommand>},
        {{QStringLiteral("--demo")},
         "  --demo                 date the demo network in the application folder to today and add its\n"
         "                         volumes to the scan paths: \"cv --demo && cv --scan\" is a first scan\n",
         Needed, alone<runDemoCommand>},
        {{QStringLiteral("--write-timer")},
         "  --write-timer          set the systemd user timer corvane-net-scan.timer to the stored start\n"
         "                         time, in ~/.config/systemd/user/corvane-net-scan.timer.d/\n",
         NotNeeded, alone<runWriteTimerCommand>},
        {{QStringLiteral("--read-audit")},
         "  --read-audit           read what the audit logs of Samba shares (see netware.conf) gained\n"
         "                         since the last reading into the servers' own stores, for cron or a\n"
         "                         timer; a scan does it too. One line per volume on standard output;\n"
         "                         exit status 1 when a log or store could not be read\n",
         Needed, alone<runReadAuditCommand>},
        {{QStringLiteral("--init-database")},
         "  --init-database        set the central database up for this station: the shared schema\n"
         "                         corvane, the station's schema station_<name> and the readers' views;\n"
         "                         once per station, and changing nothing when run again. Exit status 1,\n"
         "                         with the reason, when the database cannot be set up or is a cv.mdb\n",
         NotNeeded, alone<runInitDatabaseCommand>},
        {{QStringLiteral("--copy-to")},
         "  --copy-to DATABASE     copy the application folder's cv.mdb into the central PostgreSQL\n"
         "                         database DATABASE (a postgresql:// URI or libpq key=value text) as\n"
         "                         this station's rows, in one transaction; prints the rows copied per\n"
         "                         table. Rows copied before are never copied again: a second run\n"
         "                         copies only the rows added since. Exit status 0 when the copy was\n"
         "                         made; 1 otherwise, with the reason on standard error (a copy that\n"
         "                         fails keeps nothing)\n",
         Needed, withOptions<runCopyToCommand>},
        {{QStringLiteral("-h"), QStringLiteral("--help")}, "  -h, --help             show this text\n", NotNeeded,
         showHelp},
        {{QStringLiteral("--version")}, "  --version              show the version of cv\n", NotNeeded, showVersion},
    };
    return table;
}

bool isCommandLineJob(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QString problem;
    // Database options cv cannot read are the command line's to report.
    return !takeDatabaseOptions(arguments, &problem) || !opensMainWindow(arguments);
}

int run(const QStringList& programArguments)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = programArguments;
    QString problem;
    const std::optional<AuditDatabaseChoice> options = takeDatabaseOptions(arguments, &problem);
    if (!options)
        return usageError(err, problem);
    Registry registry(Registry::locationFromEnvironment());
    chooseStartUpDatabase(*options, SettingsStore(registry));
    const QString job = arguments.value(1);
    const Command* command = commandNamed(job);
    if (!command || command->folder == Command::Folder::Needed) {
        if (QString failure; !prepareApplicationFolder(&failure)) {
            err << "cv: " << failure << '\n';
            return 1;
        }
    }
    if (command)
        return command->run(job, arguments.mid(2), out, err);
    // "-t" is the window's, and only alone.
    if (job.trimmed().compare(u"-t", Qt::CaseInsensitive) == 0)
        return takesNoOptions(err, QStringLiteral("-t"));
    return unknownOptions(err, {job});
}

} // namespace corvane::cli
