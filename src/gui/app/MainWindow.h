#pragma once

#include "core/common/UserInterfacePort.h"
#include "core/scan/PathListEditor.h"
#include "core/scan/ScanRun.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/StartUpSettings.h"
#include "gui/app/Form1Controls.h"
#include "gui/app/LastScanLabel.h"
#include "gui/app/MainWindowServices.h"

#include <QMainWindow>

namespace corvane {

class OptionPanel;
class PathListPanel;
class TrayIcon;
class WindowBehaviour;

// Form1, the program's main window: its lifetime is the program's. It shows the scan
// paths and options over the settings record, opens the other windows, runs scans and
// purges, and is the user-interface port they report through.
class MainWindow : public QMainWindow, public UserInterfacePort
{
    Q_OBJECT

public:
    explicit MainWindow(MainWindowServices services = MainWindowServices::fromEnvironment(),
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up. false when the network client cannot be initialised: the message was
    // shown and the program must end without saving anything.
    bool Form_Load(const QStringList& arguments);

    // "&Restore" of the tray menu: enabled for 1 (minimised) and 2 (maximised),
    // disabled for 0 (normal); any other value changes nothing.
    void SetTrayMenuItems(int windowState);

    void showMessage(const QString& text, Icon icon) override;
    Answer askYesNo(const QString& question, Answer defaultAnswer) override;
    void showStatus(const QString& text) override;
    void appendStatus(const QString& text) override;
    void beep() override;
    void setWaitCursor(bool waiting) override;
    void yield() override;
    void waitForEvents(int maxMilliseconds) override;
    void setBusy(bool busy) override;
    void setStopVisible(bool visible) override;
    void showLastScan(const QString& text) override;
    void quit() override;
    bool quitRequested() const override { return m_quitRequested; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool initializeNetwork();
    void connectCommands();
    void Command1_Click();  // "&Scan"
    void Command2_Click();  // "S&top"
    void Command10_Click(); // "&Query"
    void Command18_Click(); // "&Graphs"
    void Command12_Click(); // "&Purge Today"
    void Command13_Click(); // "P&urge All"
    void Command14_Click(); // "A&bout"
    void openHelp();        // F1
    void restoreWindow();   // what the tray's left click and "&Restore" ask for
    int trayWindowState() const;

    MainWindowServices m_services;
    SettingsStore m_store;
    StartUpSettings m_startUp; // the settings record and its controls
    QString m_applicationFolder;
    PathListEditor m_paths;
    Form1Controls m_c;
    LastScanLabel m_lastScan;
    ScanRun m_scanRun;
    PathListPanel* m_pathPanel;
    OptionPanel* m_optionPanel;
    TrayIcon* m_tray;
    WindowBehaviour* m_behaviour = nullptr;
    bool m_loaded = false;
    bool m_busy = false;
    bool m_waitCursor = false;
    bool m_quitRequested = false;
};

} // namespace corvane
