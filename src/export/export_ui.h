// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "analysis/window_state.h"
#include "platform/copy.h"

namespace gantrel {

/// The folder list an export copies: `folderlist` or `splinefolderlist`.
enum class ExportList { ObjectFolders, SplineFolders };

using CopyProgress = platform::CopyProgress;

/// What an export asks of the user and shows: the message box of every operation, the
/// destination folder dialog, and the progress of a copy.
class ExportUi : public UserInterface {
public:
    /// Runs the destination folder dialog (FolderDialog1.Execute) and returns its SelectedFolder:
    /// no trailing separator except for a root; nullopt when the user cancelled.
    virtual std::optional<std::string> chooseDestination() = 0;
    /// Called after each copied file with the files and bytes done so far in this export and
    /// the target folder being filled; a window repaints here.
    virtual void copyProgress(const CopyProgress& /*done*/) {}
};

}  // namespace gantrel
