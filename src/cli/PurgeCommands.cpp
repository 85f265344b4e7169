#include "cli/PurgeCommands.h"

#include "core/common/Clock.h"
#include "core/scan/Purges.h"
#include "core/scan/ScanTexts.h"
#include "core/settings/Registry.h"
#include "core/settings/SettingsStore.h"

#include <functional>

namespace corvane::cli {

using namespace Qt::StringLiterals;

namespace {

// Without a window, the last-scan line is what the main window would show at start.
class StoredLastScanLine final : public LastScanLine
{
public:
    explicit StoredLastScanLine(const SettingsStore& settings) : m_settings(settings) {}

    QString text() const override
    {
        const QString stamp = m_settings.get(u"System"_s, u"LastScan"_s, QString());
        return stamp.isEmpty() ? QString() : u"Last scan: "_s + stamp;
    }
    // The purge stores the empty LastScan itself; there is no label to empty.
    void clear() override {}

private:
    const SettingsStore& m_settings;
};

int runPurge(TerminalUserInterface::Answering answering, const std::function<bool(Purges&)>& purge)
{
    QTextStream in(stdin);
    QTextStream out(stdout);
    QTextStream err(stderr);
    TerminalUserInterface ui(answering, in, out, err);
    Registry registry(Registry::locationFromEnvironment());
    SettingsStore settings(registry);
    StoredLastScanLine lastScanLine(settings);
    const SystemClock clock;
    Purges purges(ui, settings, lastScanLine, clock);
    return purge(purges) ? 0 : 1;
}

} // namespace

int runPurgeTodayCommand(TerminalUserInterface::Answering answering)
{
    return runPurge(answering, [](Purges& purges) { return purges.PurgeToday(); });
}

int runPurgeAllCommand(TerminalUserInterface::Answering answering)
{
    return runPurge(answering, [](Purges& purges) { return purges.PurgeAll(); });
}

bool purgeTodayBeforeRescan(SettingsStore& settings, const Clock& clock, QTextStream& err)
{
    if (lastScanDate(settings.get(u"System"_s, u"LastScan"_s, QString())) != clock.today())
        return true;
    QTextStream in(stdin);
    TerminalUserInterface ui(TerminalUserInterface::Answering::AlwaysYes, in, err, err);
    StoredLastScanLine lastScanLine(settings);
    return Purges(ui, settings, lastScanLine, clock).PurgeToday();
}

} // namespace corvane::cli
