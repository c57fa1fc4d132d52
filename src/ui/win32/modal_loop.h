// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "controls.h"

namespace gantrel::ui::win32 {

/// The thread's visible and enabled top-level windows but `kept`, disabled while the object
/// lives and enabled again afterwards where they still exist: what a task-modal box does to
/// the others. A system dialog disables its owner itself, and enables it again before it goes,
/// so that the focus returns to it: its owner is the window kept.
class DisabledWindows {
public:
    explicit DisabledWindows(HWND kept = nullptr);
    ~DisabledWindows();
    DisabledWindows(const DisabledWindows&) = delete;
    DisabledWindows& operator=(const DisabledWindows&) = delete;

private:
    std::vector<HWND> m_windows;
};

/// A hidden dialog-like window of the program's, captioned `title`, with a client area of
/// `width` × `height` device pixels, centred on `owner`, which owns it.
std::unique_ptr<TopWindow> ownedBox(HWND owner, const char* title, int width, int height);

/// Shows the hidden `box` task-modal and runs the thread's messages until `open` turns false:
/// Tab, Return and Escape work in it as in a dialog, and `focus` starts with the keyboard
/// focus. A WM_QUIT ends the loop and is posted again for the loop outside.
void runModal(HWND box, HWND focus, const bool& open);

}  // namespace gantrel::ui::win32
