// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "settings/settings_file.h"

namespace gantrel {

/// The folder the map folder chooser opens at: the stored maps folder, unchanged and untested,
/// when there is one; otherwise the first of startFolderCandidates() that is an existing
/// directory, and failing all of them the last candidate, untested.
std::string startFolder(const SettingsFile& settings);

/// The standard installation places of the simulator, in the order they are tried; the last
/// one (a root folder) is meant to be returned without a test.
///
/// Where the system has shell folders (programsFolder or fontsFolder not empty, both with
/// their trailing separator), the places below the programs folder, its 64-bit twin and the
/// system drive, then that drive's root. Otherwise the places a Steam or Wine installation
/// uses below $XDG_DATA_HOME (an absolute path, else ~/.local/share) and $HOME, then "/".
std::vector<std::string> startFolderCandidates(const std::string& programsFolder,
                                               const std::string& fontsFolder);

}  // namespace gantrel
