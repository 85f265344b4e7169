#pragma once

#include <QString>

namespace corvane {

class Registry;
class UserInterfacePort;

// "Auto-run when PC boots up": the value "Corvane Net" of the machine's Run key,
// holding the program's folder and "cv -t" (the folder cv is in, which for an
// installed program is not the application folder), and, while that value exists and
// the user has the box checked, a freedesktop autostart entry of the user's that really
// starts the program so with the desktop session.
class StartAtBootEntry
{
public:
    static constexpr const char16_t* runKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    static constexpr const char16_t* valueName = u"Corvane Net";

    StartAtBootEntry(Registry& registry, UserInterfacePort& ui, QString programFolder,
                     QString autostartFolder = defaultAutostartFolder());

    // Writes (enabled) or removes the Run value, then writes the autostart entry when
    // enabled and the value exists, and removes it otherwise. Failures are not reported.
    void apply(bool enabled);

    QString command() const;
    QString autostartFile() const;
    // $XDG_CONFIG_HOME/autostart, else ~/.config/autostart.
    static QString defaultAutostartFolder();

private:
    bool runValueExists() const;
    void writeAutostartFile() const;

    Registry& m_registry;
    UserInterfacePort& m_ui;
    QString m_programFolder;
    QString m_autostartFolder;
};

} // namespace corvane
