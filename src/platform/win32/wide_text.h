// SPDX-License-Identifier: MIT
#pragma once

// The program's 8-bit text and the wide text of the Windows API, for the Win32 window, which
// hands names between the two: the one header of src/platform/win32/ that code outside the
// platform seam includes. It needs no <windows.h>.

#include <optional>
#include <string>
#include <string_view>

#include "common/error.h"

namespace gantrel::platform::win32 {

/// The program's 8-bit text (the ANSI code page) as UTF-16 for the wide calls, and back.
std::wstring toWide(std::string_view text);
std::string toNarrow(std::wstring_view text);

/// The first character of a name that the ANSI code page cannot hold, as its code point;
/// nothing when the code page holds every character of it.
std::optional<char32_t> unheldCharacter(std::wstring_view name);

/// The error for an entry whose name holds a character that the ANSI code page cannot hold:
/// it names the entry by its path in the program's 8-bit text, where the character stands as
/// the code page's substitute, and the character by its code point.
Error unheldNameError(const std::string& path, char32_t character);

}  // namespace gantrel::platform::win32
