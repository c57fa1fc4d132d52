// SPDX-License-Identifier: MIT
#pragma once

#include "analysis/window_state.h"
#include "export/export_ui.h"

namespace gantrel {

/// The export of scof_copy and slif_copy: shows the notice, takes GameRoot from the run whose lists
/// are shown, asks for the destination (a cancel ends here, after the notice alone), then copies
/// each non-empty entry of the list, in order, from GameRoot + entry (found without regard to case)
/// to destination + separator + entry, one folder after the other, overwriting without asking
/// and reporting progress. A top-folder entry copies the whole top folder.
/// Ends with the end message when every folder was copied; otherwise with a report that names
/// each folder that failed and why (an unsafe entry, a missing source, a file that could not be
/// read or written), the other folders copied all the same. Nothing is written outside the
/// destination, and nothing in the installation is changed.
void copyUsedFolders(const WindowState& state, ExportList which, ExportUi& ui);

}  // namespace gantrel
