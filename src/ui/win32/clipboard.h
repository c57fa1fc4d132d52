// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <string>

namespace gantrel::ui::win32 {

/// Puts the program's 8-bit `text` on the clipboard as plain text, `owner` opening it; leaves
/// the clipboard as it was when another program holds it open.
void setClipboardText(HWND owner, const std::string& text);

}  // namespace gantrel::ui::win32
