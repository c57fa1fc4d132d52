// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <string>

namespace gantrel::ui::win32 {

/// The map folder chooser: the shell's classic folder browser (only file-system folders can be
/// confirmed) with `title` as its instruction text, the tree from the folder the desktop parses
/// `root` into (the whole namespace when it parses none), and `folder` preselected when it is
/// an existing directory. It is owned by `owner` (the main window), over which it opens and to
/// which the focus returns; the program's other top-level windows are disabled and
/// critical-error boxes suppressed while it runs. Returns true with `folder` set to the chosen
/// folder; false on cancel, or when the shell's allocator is missing, with `folder` left at the
/// start folder (empty when that was no existing directory). Blocks until the browser is closed.
bool chooseMapFolder(const std::string& title, const std::wstring& root, std::string& folder,
                     HWND owner);

}  // namespace gantrel::ui::win32
