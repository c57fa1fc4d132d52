// SPDX-License-Identifier: MIT
#include "window/destination_dialog.h"

#include <utility>

namespace gantrel::window {

bool DestinationDialog::execute()
{
    m_initialItemUnused = prepareItems();
    m_selectedFolder = folder;
    m_pendingNewFolder.clear();
    std::optional<ItemText> confirmed;
    do {
        m_initialised = false;
        m_reopen = false;
        m_hasPath = true;
        m_displayText.clear();
        // The confirmed folder serves the first opening only; a reopening after the
        // new-folder button selects the folder just made, or nothing when it failed.
        Preselection preselection;
        if (std::exchange(m_initialItemUnused, false)) {
            preselection.initialItem = true;
        } else {
            preselection.newFolder = std::exchange(m_pendingNewFolder, {});
        }
        confirmed = runOpening(preselection);
    } while (m_reopen);

    if (!confirmed) {
        return false;
    }
    folder = std::move(confirmed->path);
    m_selectedFolder = folder;
    m_displayText = std::move(confirmed->display);
    return true;
}

void DestinationDialog::selectionChanged(ItemText item)
{
    m_selectedFolder = std::move(item.path);
    m_displayText = std::move(item.display);
    if (flags.testFlag(bfShowPath) && m_initialised) {
        refreshPathLine();
    }
    m_hasPath = !m_selectedFolder.empty();
    // Every folder with a path can hold folders, so it is a file-system ancestor too.
    enableButtons(okEnabled(browseFor, m_hasPath, m_hasPath), m_hasPath);
    if (onSelectionChanged) {
        onSelectionChanged();
    }
}

void DestinationDialog::newFolderRequested()
{
    const std::optional<std::string> name = askFolderName(newFolderCaption());
    if (!name || name->empty()) {
        return;
    }
    m_reopen = true;
    std::string relative = *name;
    if (!relative.starts_with(m_separator) && !m_selectedFolder.ends_with(m_separator)) {
        relative.insert(0, 1, m_separator);
    }
    m_pendingNewFolder = m_selectedFolder + relative;
    if (!makeFolder(m_pendingNewFolder)) {
        m_initialised = false;
        m_pendingNewFolder.clear();
        showMessage(cannotCreateText());
    }
    // Closed as cancelled; execute() opens it again.
    closeAsCancelled();
}

}  // namespace gantrel::window
