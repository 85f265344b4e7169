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

    if (runValueExists())
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
    // Exec needs the path quoted when the folder holds blanks.
    const QString exec = u'"' + m_programFolder + QStringLiteral("cv\" -t");
    QSaveFile file(autostartFile());
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(QStringLiteral("[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Corvane Net\n"
                              "Comment=Audit file activity on the file servers\n"
                              "Exec=%1\n"
                              "Icon=corvane-net\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n")
                   .arg(exec)
                   .toUtf8());
    file.commit();
}

} // namespace corvane
