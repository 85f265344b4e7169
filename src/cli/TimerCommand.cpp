#include "cli/TimerCommand.h"

#include "core/common/FileWriting.h"
#include "core/scan/ScanTexts.h"
#include "core/settings/Registry.h"
#include "core/settings/SettingsPersistence.h"
#include "core/settings/SettingsStore.h"

#include <QDir>
#include <QTime>

namespace corvane::cli {

using namespace Qt::StringLiterals;

namespace {

QString dropInFolder()
{
    // A relative XDG_CONFIG_HOME is to be ignored, as the base directory rules say.
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(config))
        config = QDir::homePath() + u"/.config"_s;
    return config + u"/systemd/user/corvane-net-scan.timer.d"_s;
}

QByteArray dropInText(const QString& storedStartTime, const QTime& startTime)
{
    // The empty OnCalendar= clears the shipped time before the stored one is set; the timer must
    // fire within the minute, since a timed scan waits for the start time's very minute.
    return (u"# Written by \"cv --write-timer\" from the stored start time \""_s + storedStartTime +
            u"\".\n# Run \"cv --write-timer\" again after choosing another start time.\n"
            u"[Timer]\nOnCalendar=\nOnCalendar=*-*-* "_s + startTime.toString(u"HH:mm"_s) + u":00\n"_s)
        .toUtf8();
}

} // namespace

int runWriteTimerCommand(QTextStream& out, QTextStream& err)
{
    Registry registry(Registry::locationFromEnvironment());
    const QString stored = loadStartTime(SettingsStore(registry));
    const std::optional<QTime> startTime = startTimeOfDay(stored);
    if (!startTime) {
        err << "cv: the stored start time \"" << stored
            << "\" is no time of day; choose one in the main window's \"Auto-start scan at\" list\n";
        return 1;
    }
    const QString folder = dropInFolder();
    const QString path = folder + u"/start-time.conf"_s;
    if (QString failure; !makeFolder(folder, 0777, &failure)) {
        err << "cv: " << failure << '\n';
        return 1;
    }
    // On failure the drop-in written before stays, and with it the time the timer keeps.
    if (const int error = replaceFile(path, dropInText(stored, *startTime)); error != 0) {
        err << "cv: " << path << ": " << systemErrorText(error) << '\n';
        return 1;
    }
    out << "Wrote " << path << ": corvane-net-scan.timer starts \"cv --scan\" daily at "
        << startTime->toString(u"HH:mm"_s) << ".\n"
        << "Run \"systemctl --user daemon-reload\" to apply it, and once "
           "\"systemctl --user enable --now corvane-net-scan.timer\".\n";
    return 0;
}

} // namespace corvane::cli
