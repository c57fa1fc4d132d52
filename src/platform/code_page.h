// SPDX-License-Identifier: MIT
#pragma once

// The conversions a tile needs when text is written into it, where a substitute would spoil it.

#include <optional>
#include <string>
#include <string_view>

namespace gantrel::platform {

/// The program's 8-bit string as UTF-16.
std::u16string narrowToUtf16(std::string_view text);

/// The text in the 8-bit code page of tile files, when the code page holds every character of
/// it exactly (no substitute, no look-alike); nothing otherwise.
std::optional<std::string> utf16ToCodePageExactly(std::u16string_view text);

}  // namespace gantrel::platform
