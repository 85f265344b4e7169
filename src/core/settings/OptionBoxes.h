#pragma once

#include "core/settings/ScanSettings.h"

#include <QObject>

#include <functional>
#include <optional>
#include <span>

namespace corvane {

// The option check boxes of the main window, named as the window names them.
enum class OptionBox {
    cbHidden,
    cbSystem,
    cbCreated,
    cbOwner,
    cbLastAccess,
    cbLastArchive,
    cbArchiver,
    cbLastEdit,
    cbEditor,
    cbDeleted,
    cbDeletor,
    cbSize,
    cbFileDetail,
    cbNewFiles,
    cbEditedFiles,
    cbOpenedFiles,
    cbDeletedFiles,
    cbArchivedFiles,
    cbNewDirs,
    cbDeletedDirs,
    cbDirActivity,
    cbAutoPurge,
    cbAutoScan,
    cbKeepRunning,
    cbExit,
    cbAutoRun,
};
constexpr int optionBoxCount = static_cast<int>(OptionBox::cbAutoRun) + 1;

// The flag a box mirrors; "Keep running" mirrors none.
std::optional<Flag> flagOfBox(OptionBox box);

// The check states of the option and automation boxes and the rules that run
// whenever a state changes, by a click or by code. The window's check boxes
// mirror this model: they call setChecked on a click and follow checkedChanged.
class OptionBoxes : public QObject
{
    Q_OBJECT

public:
    // onAutoRunChanged writes or removes the start-at-boot entry.
    OptionBoxes(ScanSettings& settings, std::function<void(bool)> onAutoRunChanged);

    bool isChecked(OptionBox box) const { return m_checked[static_cast<size_t>(box)]; }
    // Does nothing when the box already has that state.
    void setChecked(OptionBox box, bool checked);
    // "Keep running" is shown only while "Auto-start scan at " is checked.
    bool keepRunningVisible() const { return m_keepRunningVisible; }
    // Keep running is in force when the box is both shown and checked.
    bool keepRunningInForce() const { return m_keepRunningVisible && isChecked(OptionBox::cbKeepRunning); }

    // The record's flags, box by box in the order the window applies them.
    void applyStoredFlags();

    void selectAllInformation(); // "All" of "File Information to Retrieve"
    void selectNoInformation();  // "None" of "File Information to Retrieve"
    void selectAllTables();      // "All" of "Tables to Update"
    void selectNoTables();       // "None" of "Tables to Update"

Q_SIGNALS:
    void checkedChanged(corvane::OptionBox box, bool checked);
    void keepRunningVisibleChanged(bool visible);

private:
    void handleChange(OptionBox box, bool checked);
    void applyDependencyRules(OptionBox box, bool checked);
    void applyAutomationRules(OptionBox box, bool checked);
    void setAll(std::span<const OptionBox> boxes, bool checked);

    ScanSettings& m_settings;
    std::function<void(bool)> m_onAutoRunChanged;
    std::array<bool, optionBoxCount> m_checked{};
    bool m_keepRunningVisible = false;
};

} // namespace corvane
