#pragma once

#include <QString>

namespace corvane {

// What the core may show or ask; the windows, the terminal and the tests implement it.
// Every message box of the program is titled "Corvane Net", so the title is not passed.
class UserInterfacePort
{
public:
    enum class Icon { None, Warning, Question, Information };
    enum class Answer { Ok, Yes, No };

    virtual ~UserInterfacePort() = default;

    // A message box with an OK button only.
    virtual void showMessage(const QString& text, Icon icon) = 0;
    // A Yes/No question with the question icon; defaultAnswer is Yes or No.
    virtual Answer askYesNo(const QString& question, Answer defaultAnswer) = 0;

    // The "System Messages" box: replace its text, or add to it.
    virtual void showStatus(const QString& text) = 0;
    virtual void appendStatus(const QString& text) = 0;

    virtual void beep() = 0;
    virtual void setWaitCursor(bool waiting) = 0;
    // Handle pending user events (Stop, tray icon) in the middle of a long operation.
    virtual void yield() = 0;
    // Handle user events for up to that long, returning early once one was handled: the scan
    // run's waits poll the clock between these calls instead of spinning.
    virtual void waitForEvents(int /*maxMilliseconds*/) { yield(); }

    // The state of the main window during a scan run. A front end without windows (a quiet
    // benchmark) may leave them as they are.
    //
    // Busy: the controls disabled, labels and the status box excepted; idle: enabled again.
    virtual void setBusy(bool /*busy*/) {}
    // The Stop button; while it is shown the main window refuses to close.
    virtual void setStopVisible(bool /*visible*/) {}
    // The last-scan line: "Last scan: " + the stamp.
    virtual void showLastScan(const QString& /*text*/) {}
    // Unload the main window (it saves the settings) and end the program once the run returns.
    virtual void quit() {}
    // True once the user closed the main window while a run was pausing between repetitions.
    virtual bool quitRequested() const { return false; }
};

} // namespace corvane
