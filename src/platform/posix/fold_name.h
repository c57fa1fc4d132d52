// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace gantrel::platform {

/// A file name as a file system that ignores case compares it: simple case folding, one code
/// point at a time; bytes that are not UTF-8 stay as they are. foldInto reuses `folded`.
void foldInto(std::string& folded, std::string_view name);
std::string foldName(std::string_view name);

}  // namespace gantrel::platform
