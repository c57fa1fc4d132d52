// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <string>

namespace gantrel::ui::win32 {

/// What the window says when the clipboard stayed busy and nothing was copied.
inline constexpr const char* kClipboardBusy =
    "The clipboard is in use by another program: nothing was copied. Please try again.";

/// Puts the program's 8-bit `text` on the clipboard, `owner` opening it: as 8-bit text, as
/// Unicode text converted by the ANSI code page, and with the system's locale that belongs to
/// that code page. False, the clipboard left as it was, when another program held it open for
/// all the tries.
bool setClipboardText(HWND owner, const std::string& text);

}  // namespace gantrel::ui::win32
