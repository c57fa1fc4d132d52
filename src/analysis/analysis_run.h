// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "analysis/window_state.h"
#include "settings/maps_folder_store.h"

namespace gantrel {

enum class RunEnd {
    NotAMapFolder,  // the folder lacks global.cfg or ailists.cfg, or cannot be read as a map
                    // folder (its message says why): reported, nothing cleared
    Completed,      // lists filled and sorted, log scrolled, export buttons shown
    Cancelled,      // stopped after a tile at the interface's request: as after an error,
                    // the lists keep what was appended, unsorted, and nothing is stored
};

/// The analysis run on a chosen map folder (no trailing separator, except for a root), taken
/// where it really lies when it was reached through links (platform::linkTarget): checks it, clears
/// every list and the where-used record, enumerates the tiles, scans them, then scrolls the log,
/// shows the export buttons, sorts the six result lists and stores the maps folder. Throws Error
/// when a tile cannot be read (the lists keep what was appended so far, the log's last line says
/// why) or, after the run has completed in every other respect, when the maps folder cannot be
/// stored.
RunEnd runAnalysis(const std::string& folder, WindowState& state, UserInterface& ui,
                   MapsFolderStore& store);

}  // namespace gantrel
