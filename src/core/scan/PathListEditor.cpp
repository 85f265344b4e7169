#include "core/scan/PathListEditor.h"

#include "core/common/UserInterfacePort.h"
#include "core/scan/ScanPathList.h"

namespace corvane {

namespace {

using Answer = UserInterfacePort::Answer;

} // namespace

PathListEditor::PathListEditor(ScanSettings& settings, UserInterfacePort& ui,
                               const NetWareConfiguration& network)
    : m_settings(settings), m_ui(ui), m_network(network)
{}

int PathListEditor::current() const
{
    if (count() == 0)
        return -1;
    return m_current >= 0 && m_current < count() ? m_current : 0;
}

QString PathListEditor::currentSpecs() const
{
    return m_settings.PathSpecs.value(current());
}

void PathListEditor::setCurrentSpecs(const QString& specs)
{
    const int index = current();
    if (index < 0)
        return;
    // Specs missing from the stored settings are made up on the way to this entry.
    while (m_settings.PathSpecs.size() <= index)
        m_settings.PathSpecs.append(QStringLiteral("*.*"));
    m_settings.PathSpecs[index] = specs;
}

void PathListEditor::setIncludeSubdirectories(int index, bool include)
{
    if (index >= 0 && index < count())
        m_settings.Paths[index].includeSubdirectories = include;
}

bool PathListEditor::Add(const QString& path)
{
    const AddPathOutcome outcome = AddScanPath(m_settings, path, m_network);
    if (outcome.result == AddPathResult::AlreadyInList || outcome.result == AddPathResult::InsideListedEntry)
        m_ui.beep();
    m_ui.showStatus(addPathMessage(outcome));
    if (outcome.result != AddPathResult::Added)
        return false;
    m_current = count() - 1;
    return true;
}

bool PathListEditor::Delete(int index)
{
    if (index < 0 || index >= count())
        return false;
    if (m_ui.askYesNo(QStringLiteral("Are you sure you want to delete the selected directory from the list?"),
                      Answer::No) != Answer::Yes)
        return false;
    DeleteScanPath(m_settings, index);
    m_current = 0;
    m_ui.showStatus(QStringLiteral("Directory deleted."));
    return true;
}

bool PathListEditor::DeleteAll()
{
    if (m_ui.askYesNo(QStringLiteral("Are you sure you want to delete all the directories from the list?"),
                      Answer::No) != Answer::Yes)
        return false;
    m_settings.PathsChanged = true;
    m_settings.Paths.clear();
    m_settings.PathSpecs.clear();
    m_current = -1;
    m_ui.showStatus(QStringLiteral("All directories deleted."));
    return true;
}

} // namespace corvane
