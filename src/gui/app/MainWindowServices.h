#pragma once

#include "core/common/Clock.h"
#include "core/netware/EmulatedNetWareClient.h"
#include "core/settings/Registry.h"
#include "core/settings/SettingsStore.h"
#include "gui/app/FolderChooser.h"
#include "gui/ui/HelpFile.h"

#include <functional>
#include <memory>

class QWidget;

namespace corvane {

// Opens a window of another subsystem modally, owned by the main window; the windows
// remember their sizes in the main window's settings store.
using ChildWindowOpener = std::function<void(QWidget* owner, SettingsStore& store)>;

// What the main window works with beyond its controls; tests put their own in.
struct MainWindowServices
{
    std::unique_ptr<Registry> registry;
    std::unique_ptr<EmulatedNetWareClient> client;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<FolderChooser> folderChooser;
    // Opens faq.fil with the desktop's program for text files.
    std::unique_ptr<TextFileOpener> helpOpener;
    // Where the start-at-boot entry puts the desktop session's autostart file.
    QString autostartFolder;
    // Minimising hides the window only where a tray can bring it back.
    std::function<bool()> systemTrayAvailable;
    // "&Query" and "&Graphs"; a button whose window is not set opens nothing.
    ChildWindowOpener queryWindow;
    ChildWindowOpener graphOptionsWindow;

    // The real ones: the registry of CORVANE_NET_REGISTRY or the user's configuration, the
    // emulated network of the application folder, the system clock, the desktop's dialogs,
    // the query window, the graph options window with its chart window.
    static MainWindowServices fromEnvironment();
};

} // namespace corvane
