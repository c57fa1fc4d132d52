// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace gantrel {

/// The simulator's installation folder for a map path: the folder that holds the maps folder.
/// A is the path up to and including its last separator; GameRoot is A without its last folder
/// name (the separator before it kept), or A itself when A is a root ("/", "C:\",
/// "\\server\share\"). A path without any separator gives the empty string: paths built from it are
/// relative.
std::string gameRoot(std::string_view mapPath);

/// The map path cut after its last separator, keeping it: the maps folder of a map folder.
std::string mapsFolderOf(std::string_view mapPath);

}  // namespace gantrel
