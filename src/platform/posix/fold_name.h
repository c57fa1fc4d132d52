// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace gantrel::platform {

/// A file name as the native file system compares it: each UTF-16 unit upper-cased by its
/// simple upper-case mapping; bytes that are not UTF-8 stay as they are. Two names match when
/// their folded forms are equal. foldInto reuses `folded`.
void foldInto(std::string& folded, std::string_view name);
std::string foldName(std::string_view name);

}  // namespace gantrel::platform
