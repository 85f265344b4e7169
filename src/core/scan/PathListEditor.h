#pragma once

#include "core/settings/ScanSettings.h"

#include <QString>

namespace corvane {

class NetWareConfiguration;
class UserInterfacePort;

// The main window's editing of the scan path list over ScanSettings.Paths and PathSpecs:
// adding (network folders only, never twice, never below an entry that includes its
// subdirectories) and deleting one or all entries after asking, with the outcome in the status
// text, and the current entry, whose file patterns the pattern box edits.
class PathListEditor
{
public:
    PathListEditor(ScanSettings& settings, UserInterfacePort& ui, const NetWareConfiguration& network);

    const QList<ScanPath>& entries() const { return m_settings.Paths; }
    int count() const { return static_cast<int>(m_settings.Paths.size()); }
    // The entry last made current, else the first; -1 while the list is empty.
    int current() const;
    void setCurrent(int index) { m_current = index; }
    QString currentSpecs() const;
    // Stores the text as the current entry's specs; nothing while the list is empty.
    void setCurrentSpecs(const QString& specs);
    void setIncludeSubdirectories(int index, bool include);

    // The new entry becomes current. false when refused (a beep for a listed folder).
    bool Add(const QString& path);
    // Each asks first, No being the default; false when the user says No. After a delete
    // the first entry is current.
    bool Delete(int index);
    bool DeleteAll();

private:
    ScanSettings& m_settings;
    UserInterfacePort& m_ui;
    const NetWareConfiguration& m_network;
    int m_current = -1;
};

} // namespace corvane
