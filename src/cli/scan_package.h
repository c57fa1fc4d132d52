// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "analysis/window_state.h"

namespace gantrel {

/// gantrel-scan --package: the map package of a completed run, with every folder but those
/// named by `notNeeded` (as the dialog lists them, "/" or "\", either letter case). Prints the
/// end message to `out`; false, with the reason on `err`, when it cannot be written.
bool writeScanPackage(const WindowState& state, const std::string& mapFolder,
                      const std::string& zipFile, const std::vector<std::string>& notNeeded,
                      std::ostream& out, std::ostream& err);

}  // namespace gantrel
