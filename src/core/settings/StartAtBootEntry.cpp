#include "core/settings/StartAtBootEntry.h"

#include "core/settings/Registry.h"
#include "core/settings/cReadWriteEasyReg.h"

#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

namespace corvane {

StartAtBootEntry::StartAtBootEntry(Registry& registry, UserInterfacePort& ui, QString programFolder,
                                   QString autostartFolder)
    : m_registry(registry), m_ui(ui), m_programFolder(std::move(programFolder)),
      m_autostartFolder(std::move(autostartFolder))
{
}

QString StartAtBootEntry::defaultAutostartFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
}

QString StartAtBootEntry::command() const
{
    return m_programFolder + QStringLiteral("cv -t");
}

QString StartAtBootEntry::autostartFile() const
{
    return m_autostartFolder + QStringLiteral("/corvane-net.desktop");
}

void StartAtBootEntry::apply(bool enabled)
{
    cReadWriteEasyReg reg(m_registry, m_ui);
    reg.OpenRegistry(RootKey::LocalMachine, QString::fromUtf16(runKey));
    if (enabled)
        reg.CreateValue(QString::fromUtf16(valueName), command(), RegType::Sz);
    else
        reg.DeleteValue(QString::fromUtf16(valueName));
    reg.CloseRegistry();

    // The autostart entry is the user's own: it starts the program only while both the user's
    // choice and the machine's value say so. A user who unchecks the box is no longer started
    // even when the value, written by another account, cannot be removed.
    if (enabled && runValueExists())
        writeAutostartFile();
    else
        QFile::remove(autostartFile());
}

bool StartAtBootEntry::runValueExists() const
{
    RegistryValue value;
    return m_registry.queryValue(RootKey::LocalMachine, QString::fromUtf16(runKey), QString::fromUtf16(valueName),
                                 &value) == RegError::Success;
}

void StartAtBootEntry::writeAutostartFile() const
{
    if (!QDir().mkpath(m_autostartFolder))
        return;
    // Exec needs the path quoted when the folder holds blanks; TryExec takes it as it is. With
    // TryExec the desktop skips the entry once the program is removed.
    const QString program = m_programFolder + QStringLiteral("cv");
    const QString exec = u'"' + program + QStringLiteral("\" -t");
    QSaveFile file(autostartFile());
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(QStringLiteral("[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Corvane Net\n"
                              "Comment=Audit file activity on the file servers\n"
                              "TryExec=%1\n"
                              "Exec=%2\n"
                              "Icon=corvane-net\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n")
                   .arg(program, exec)
                   .toUtf8());
    file.commit();
}

} // namespace corvane
