#include "core/settings/OptionBoxes.h"

namespace corvane {

namespace {

using B = OptionBox;

// The boxes with their flags, in the order the stored flags are applied at start-up.
struct BoxFlag
{
    OptionBox box;
    Flag flag;
};
constexpr std::array<BoxFlag, optionBoxCount - 2> boxesInLoadOrder{{
    {B::cbHidden, Flag::Hidden},
    {B::cbSystem, Flag::System},
    {B::cbCreated, Flag::Created},
    {B::cbOwner, Flag::Owner},
    {B::cbLastAccess, Flag::LastAccess},
    {B::cbLastArchive, Flag::LastArchive},
    {B::cbArchiver, Flag::LastArchiveBy},
    {B::cbLastEdit, Flag::LastModify},
    {B::cbEditor, Flag::LastModifyBy},
    {B::cbDeleted, Flag::Deleted},
    {B::cbDeletor, Flag::Deletor},
    {B::cbSize, Flag::Size},
    {B::cbFileDetail, Flag::FileDetail},
    {B::cbDeletedFiles, Flag::DeletedFiles},
    {B::cbNewFiles, Flag::NewFiles},
    {B::cbEditedFiles, Flag::EditedFiles},
    {B::cbOpenedFiles, Flag::OpenedFiles},
    {B::cbDeletedDirs, Flag::DeletedDirs},
    {B::cbNewDirs, Flag::NewDirs},
    {B::cbDirActivity, Flag::DirActivity},
    {B::cbArchivedFiles, Flag::ArchivedFiles},
    {B::cbAutoPurge, Flag::AutoPurge},
    {B::cbAutoScan, Flag::AutoScan},
    {B::cbAutoRun, Flag::AutoRun},
}};

// The boxes the "All" and "None" buttons set, in the order they set them.
constexpr std::array informationBoxes{B::cbCreated,     B::cbOwner,    B::cbEditor,   B::cbArchiver, B::cbLastAccess,
                                      B::cbLastArchive, B::cbLastEdit, B::cbDeleted, B::cbDeletor, B::cbSize};
constexpr std::array tableBoxes{B::cbFileDetail,  B::cbDeletedFiles, B::cbNewFiles,
                                B::cbEditedFiles, B::cbOpenedFiles,  B::cbDeletedDirs,
                                B::cbNewDirs,     B::cbDirActivity,  B::cbArchivedFiles};
// The file tables that "Directory Activity" needs.
constexpr std::array fileTableBoxes{B::cbFileDetail,  B::cbDeletedFiles, B::cbNewFiles,
                                    B::cbEditedFiles, B::cbOpenedFiles,  B::cbArchivedFiles};

} // namespace

std::optional<Flag> flagOfBox(OptionBox box)
{
    if (box == B::cbExit)
        return Flag::ExitAfterScan;
    for (const BoxFlag& entry : boxesInLoadOrder) {
        if (entry.box == box)
            return entry.flag;
    }
    return std::nullopt;
}

OptionBoxes::OptionBoxes(ScanSettings& settings, std::function<void(bool)> onAutoRunChanged)
    : m_settings(settings), m_onAutoRunChanged(std::move(onAutoRunChanged))
{
}

void OptionBoxes::setChecked(OptionBox box, bool checked)
{
    if (isChecked(box) == checked)
        return;
    m_checked[static_cast<size_t>(box)] = checked;
    Q_EMIT checkedChanged(box, checked);
    handleChange(box, checked);
}

void OptionBoxes::handleChange(OptionBox box, bool checked)
{
    if (const auto flag = flagOfBox(box))
        m_settings.setFlag(*flag, checked);
    applyDependencyRules(box, checked);
    applyAutomationRules(box, checked);
}

void OptionBoxes::applyDependencyRules(OptionBox box, bool checked)
{
    if (!checked)
        return;
    if (box == B::cbDeletedDirs || box == B::cbNewDirs)
        setChecked(B::cbDirActivity, true);
    if (box == B::cbDirActivity)
        setAll(fileTableBoxes, true);
}

void OptionBoxes::applyAutomationRules(OptionBox box, bool checked)
{
    switch (box) {
    case B::cbAutoScan:
        m_keepRunningVisible = checked;
        Q_EMIT keepRunningVisibleChanged(checked);
        break;
    case B::cbKeepRunning:
        if (checked)
            setChecked(B::cbExit, false);
        break;
    case B::cbExit:
        if (checked)
            setChecked(B::cbKeepRunning, false);
        break;
    case B::cbAutoRun:
        if (m_onAutoRunChanged)
            m_onAutoRunChanged(checked);
        break;
    default:
        break;
    }
}

void OptionBoxes::applyStoredFlags()
{
    for (const BoxFlag& entry : boxesInLoadOrder) {
        // Read the flag only now: a rule run by an earlier box may have changed it.
        setChecked(entry.box, m_settings.flag(entry.flag));
    }
}

void OptionBoxes::setAll(std::span<const OptionBox> boxes, bool checked)
{
    for (const OptionBox box : boxes)
        setChecked(box, checked);
}

void OptionBoxes::selectAllInformation()
{
    setAll(informationBoxes, true);
}

void OptionBoxes::selectNoInformation()
{
    setAll(informationBoxes, false);
}

void OptionBoxes::selectAllTables()
{
    setAll(tableBoxes, true);
}

void OptionBoxes::selectNoTables()
{
    setAll(tableBoxes, false);
}

} // namespace corvane
