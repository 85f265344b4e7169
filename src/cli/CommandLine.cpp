#include "cli/CommandLine.h"

#include "cli/PurgeCommands.h"
#include "cli/QueryCommand.h"

#include <QTextStream>

#include <cstring>

namespace corvane::cli {

namespace {

const char* const usage =
    "Usage: cv [-t | --help | --query STATEMENT | --purge-today [--yes] | --purge-all [--yes]]\n"
    "\n"
    "  (no option)            open the main window\n"
    "  -t                     open the main window and start a timed scan\n"
    "  --query STATEMENT      print the rows of a statement as CSV; never changes data\n"
    "  --purge-today [--yes]  delete today's data; --yes answers the question with Yes\n"
    "  --purge-all [--yes]    delete all data; --yes answers the question with Yes\n"
    "  --help                 show this text\n"
    "\n"
    "cv.mdb is looked for beside the program, or in the folder $CORVANE_NET_HOME names.\n";

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
