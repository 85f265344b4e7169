#include "cli/ScanCommand.h"

#include "cli/InterruptSignal.h"
#include "cli/PurgeCommands.h"
#include "cli/TerminalUserInterface.h"
#include "core/common/Clock.h"
#include "core/db/DatabaseChoice.h"
#include "core/netware/EmulatedNetWareClient.h"
#include "core/scan/ScanRun.h"
#include "core/settings/Registry.h"
#include "core/settings/SettingsPersistence.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/StartUpSettings.h"

namespace corvane::cli {

using namespace Qt::StringLiterals;
using Ending = ScanRun::Ending;

namespace {

constexpr int interruptedStatus = 130; // as a shell reports a program ended by Ctrl-C

int exitStatusOf(const ScanRun::Outcome& outcome, QTextStream& out, QTextStream& err)
{
    switch (outcome.ending) {
    case Ending::Completed:
        out << terminalText(outcome.text) << '\n';
        // Rows that could not be recorded are lost, however much else was.
        return outcome.lostRows > 0 ? 1 : 0;
    case Ending::Stopped:
    case Ending::StoppedWhileWaiting:
        err << "cv: the scan was stopped; nothing of it was recorded\n";
        return interruptedStatus;
    case Ending::AlreadyScannedToday:
        // Today's scan is done, which is no failure for a timer that comes after a scan by hand.
        out << "Today's scan is done already; nothing was scanned again. \"cv --scan --again\" deletes "
               "today's data and scans again.\n";
        return 0;
    case Ending::Declined:
        err << "cv: the scan did not run: the question was answered with its default button\n";
        return 1;
    case Ending::Failed:
    case Ending::ProgramEnded:
    case Ending::ProgramMustEnd:
        break;
    }
    err << "cv: the scan did not run: " << terminalText(outcome.text) << '\n';
    return 1;
}

} // namespace

int runScanCommand(Rescan rescan, QTextStream& out, QTextStream& err)
{
    QTextStream in(stdin);
    TerminalUserInterface ui(TerminalUserInterface::Answering::DefaultButton, in, err, err);
    EmulatedNetWareClient client;
    if (client.NWCallsInit() != NWResult::Success) {
        // The window's message as it words it, then why, as the command line says its own errors.
        err << "Error! Unable to initialize network.\ncv: " << client.initFailure() << '\n';
        return 1;
    }
    Registry registry(Registry::locationFromEnvironment());
    ensureSettingsRoot(registry, ui);
    SettingsStore store(registry);
    const SystemClock clock;
    if (rescan == Rescan::PurgeTodayFirst && !purgeTodayBeforeRescan(store, clock, err))
        return 1;
    StartUpSettings loaded(store, clock, registry, ui);
    loaded.load(store);
    ScanRun run(ScanRunServices{ui, clock, store, loaded.settings, loaded.boxes, client,
                                client.configuration(), auditDatabaseName()});
    InterruptSignal interrupts;
    ui.stopOnInterrupt(interrupts, [&run] { run.Command2_Click(); });
    const ScanRun::Outcome outcome = run.Command1_Click();
    if (qEnvironmentVariableIsSet("CORVANE_NET_TIMINGS"))
        err << run.timings().report();
    err.flush();
    return exitStatusOf(outcome, out, err);
}

} // namespace corvane::cli
