#include "gui/app/MainWindowServices.h"

#include "core/settings/StartAtBootEntry.h"
#include "gui/graphs/ChartWindow.h"
#include "gui/graphs/GraphOptionsWindow.h"
#include "gui/query/QueryWindow.h"

#include <QSystemTrayIcon>

namespace corvane {

MainWindowServices MainWindowServices::fromEnvironment()
{
    MainWindowServices services;
    services.registry = std::make_unique<Registry>(Registry::locationFromEnvironment());
    services.client = std::make_unique<EmulatedNetWareClient>();
    services.clock = std::make_unique<SystemClock>();
    services.folderChooser = std::make_unique<DialogFolderChooser>();
    services.helpOpener = std::make_unique<DesktopTextFileOpener>();
    services.autostartFolder = StartAtBootEntry::defaultAutostartFolder();
    services.systemTrayAvailable = &QSystemTrayIcon::isSystemTrayAvailable;
    services.queryWindow = [](QWidget* owner, SettingsStore& store) {
        QueryWindow window(owner, store);
        window.exec();
    };
    services.graphOptionsWindow = [](QWidget* owner, SettingsStore& store) {
        GraphOptionsWindow window(owner, store, [&store](QWidget* options, const GraphChoice& choice) {
            showChartWindow(options, store, choice);
        });
        window.exec();
    };
    return services;
}

} // namespace corvane
