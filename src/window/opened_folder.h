// SPDX-License-Identifier: MIT
#pragma once

// A map folder that reaches the window without the map folder chooser: named on the command
// line or dropped on the window. Either is analysed exactly as a folder the chooser returned.

#include <optional>
#include <string>
#include <vector>

namespace gantrel::window {

/// A folder path as the map folder chooser returns it: absolute (relative to the current
/// folder), with no trailing separator except for a root ("/", "C:\"). Links are left for the
/// analysis run to follow, as it follows those of a chosen folder.
std::string asChosenFolder(const std::string& path);

/// What a drop on the window is accepted as: the dropped folder, as asChosenFolder gives it,
/// when exactly one item was dropped and it is an existing local folder; nullopt (the drop is
/// refused) for files, several items, and items that are no local path, which the caller
/// passes as empty strings.
std::optional<std::string> droppedMapFolder(const std::vector<std::string>& localPaths);

}  // namespace gantrel::window
