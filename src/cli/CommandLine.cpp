#include "cli/CommandLine.h"

#include <QTextStream>

#include <cstring>

namespace corvane::cli {

namespace {

const char* const usage = "Usage: cv [-t | --help]\n"
                          "\n"
                          "  (no option)  open the main window\n"
                          "  -t           open the main window and start a timed scan\n"
                          "  --help       show this text\n";

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
    if (job == QLatin1String("--help")) {
        out << usage;
        return 0;
    }
    err << "cv: unknown option " << job << "\n\n" << usage;
    return 2;
}

} // namespace corvane::cli
