// SPDX-License-Identifier: MIT
#pragma once

// The program's 8-bit text and the wide text of the Windows API, for the Win32 window, which
// hands names between the two: the one header of src/platform/win32/ that code outside the
// platform seam includes. It needs no <windows.h>.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/error.h"

namespace gantrel::platform::win32 {

/// The program's 8-bit text (the ANSI code page) as UTF-16 for the wide calls, and back.
std::wstring toWide(std::string_view text);
std::string toNarrow(std::wstring_view text);

/// The first character of a name that `codePage` (0, CP_ACP: the system's ANSI code page)
/// cannot hold, as its code point; nothing when the code page holds every character of it.
/// UTF-8 (65001, which a system may have as its ANSI code page) holds every character; a lone
/// surrogate is none and is held by no code page.
std::optional<char32_t> unheldCharacter(std::wstring_view name, unsigned codePage = 0);

/// The length of the longest prefix of `text` made of whole characters of `codePage` (0,
/// CP_ACP: the system's ANSI code page): text cut short may end inside a character of several
/// bytes.
std::size_t wholeCharactersLength(std::string_view text, unsigned codePage = 0);

/// The error for an entry whose name holds a character that the ANSI code page cannot hold:
/// it names the entry by its path in the program's 8-bit text, where the character stands as
/// the code page's substitute, and the character by its code point.
Error unheldNameError(const std::string& path, char32_t character);

/// The system's own words for an error code (a DWORD), exactly as FormatMessageW gives them,
/// line break at the end included; empty when the system has no text for the code.
std::string systemText(unsigned long code);

}  // namespace gantrel::platform::win32
