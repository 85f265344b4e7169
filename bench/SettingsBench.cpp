// Saving the scan path list with a long list: `cv --add-path` and `cv --remove-path` as the
// user runs them, and the save the main window makes when it closes after the list changed.
//
//   cv_settings_bench [PATHS]   (default 1000 entries in the list before each step)
//
// The hive is written straight from memory before each step, so every step starts from the
// same list however slow saving is.

#include "core/settings/Registry.h"
#include "core/settings/RegistryData.h"
#include "core/settings/RegistryHive.h"
#include "core/settings/ScanSettings.h"
#include "core/settings/SettingsPersistence.h"
#include "core/settings/SettingsStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

QString listedPath(int index)
{
    return u"\\\\SRV1\\VOL1\\USERS\\HOME"_s + QString::number(index);
}

// A hive holding the path list as the window stores it: Dir_, Sub_ and Spec_ of every entry.
bool writeHive(const QString& folder, int paths)
{
    RegistryHive hive(Registry::rootKeyName(RootKey::CurrentUser));
    const QStringList options = {u"Software"_s, u"VB and VBA Program Settings"_s, u"Corvane Net"_s,
                                 u"Options"_s};
    hive.createKey(options);
    const auto set = [&](const QString& name, const QString& text) {
        hive.setValue(options, {name, RegType::Sz, RegistryData::szFromText(text)});
    };
    for (int i = 0; i < paths; ++i) {
        set(u"Dir_"_s + QString::number(i), listedPath(i));
        set(u"Sub_"_s + QString::number(i), u"True"_s);
        set(u"Spec_"_s + QString::number(i), u"*.doc;*.xls"_s);
    }
    QFile file(folder + u"/HKEY_CURRENT_USER.reg"_s);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(hive.serialise()) > 0;
}

qsizetype storedPaths(const QString& folder)
{
    Registry registry(Registry::Location{folder, folder});
    ScanSettings settings;
    loadScanPaths(SettingsStore(registry), settings);
    return settings.Paths.size();
}

// One run of cv with the registry and application folder in the bench's folder.
double timeCommand(const QString& folder, const QStringList& arguments, int* exitCode)
{
    QProcess cv;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"CORVANE_NET_REGISTRY"_s, folder);
    environment.insert(u"CORVANE_NET_HOME"_s, folder);
    cv.setProcessEnvironment(environment);
    cv.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    cv.start(QStringLiteral(CV_EXECUTABLE), arguments);
    cv.waitForFinished(-1);
    *exitCode = cv.exitStatus() == QProcess::NormalExit ? cv.exitCode() : -1;
    return timer.nsecsElapsed() / 1e9;
}

// What the main window does when it closes after a path was deleted: load, then save it all.
double timeWindowSave(const QString& folder)
{
    QElapsedTimer timer;
    timer.start();
    Registry registry(Registry::Location{folder, folder});
    SettingsStore store(registry);
    ScanSettings settings;
    loadScanPaths(store, settings);
    settings.Paths.removeAt(0);
    settings.PathSpecs.removeAt(0);
    settings.PathsChanged = true;
    saveScanSettings(store, settings, StoredWindowSize());
    return timer.nsecsElapsed() / 1e9;
}

struct Step
{
    const char* what;
    qsizetype expectedPaths; // after the step, from a list of `paths`
    std::function<double(const QString& folder, int* exitCode)> run;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int paths = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000;
    if (paths <= 0) {
        std::fprintf(stderr, "usage: cv_settings_bench [PATHS]\n");
        return 2;
    }
    const QList<Step> steps = {
        {"cv --add-path", paths + 1,
         [](const QString& folder, int* exitCode) {
             return timeCommand(folder, {u"--add-path"_s, u"\\\\SRV1\\VOL1\\NEW"_s}, exitCode);
         }},
        {"cv --remove-path 1", paths - 1,
         [](const QString& folder, int* exitCode) {
             return timeCommand(folder, {u"--remove-path"_s, u"1"_s}, exitCode);
         }},
        {"window close after a delete", paths - 1,
         [](const QString& folder, int* exitCode) {
             *exitCode = 0;
             return timeWindowSave(folder);
         }},
    };
    constexpr int rounds = 3;
    std::printf("saving the scan path list, %d entries before each step (target: add < 0.3 s)\n", paths);
    int failures = 0;
    for (const Step& step : steps) {
        QList<double> seconds;
        for (int round = 0; round < rounds; ++round) {
            QTemporaryDir folder;
            if (!folder.isValid() || !writeHive(folder.path(), paths))
                return 1;
            int exitCode = 0;
            seconds.append(step.run(folder.path(), &exitCode));
            if (exitCode != 0 || storedPaths(folder.path()) != step.expectedPaths) {
                std::printf("  %s: failed (exit %d, %lld entries stored)\n", step.what, exitCode,
                            static_cast<long long>(storedPaths(folder.path())));
                ++failures;
            }
        }
        std::sort(seconds.begin(), seconds.end());
        std::printf("  %-28s median %.3f s (best %.3f, worst %.3f of %d)\n", step.what, seconds[rounds / 2],
                    seconds.first(), seconds.last(), rounds);
    }
    return failures == 0 ? 0 : 1;
}
