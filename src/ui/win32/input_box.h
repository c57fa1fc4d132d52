// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace gantrel::ui::win32 {

/// A modal input box over `owner`: `title` as its caption, `prompt` above an entry field
/// holding `text`, OK and Cancel. Returns the entry's text after OK, nullopt after Cancel or
/// when it was closed. Blocks until then; the thread's other windows are disabled meanwhile.
std::optional<std::string> inputBox(HWND owner, const std::string& title, const std::string& prompt,
                                    const std::string& text = {});

}  // namespace gantrel::ui::win32
