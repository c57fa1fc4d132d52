// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace gantrel::ui::win32 {

/// The dots per inch of the screen as a whole (the primary monitor's at sign-in).
int systemDpi();

/// The dots per inch of the monitor the window is on, where the system tells it per window
/// (GetDpiForWindow, Windows 10 1607 and later, looked up at run time so that older systems
/// still start the program); the system's elsewhere, and for no window.
int windowDpi(HWND window);

/// A font of the program's, deleted when it goes.
using OwnedFont = std::unique_ptr<std::remove_pointer_t<HFONT>, decltype(&DeleteObject)>;

/// The system's message font, which it gives for its own dpi, at `dpi`.
OwnedFont messageFont(int dpi);

/// The measures the program's own boxes share, at 96 dots per inch: the margin around and
/// between their parts, a line of label, a push button's height and its narrowest width.
constexpr int kBoxMargin = 12;
constexpr int kBoxLabelHeight = 16;
constexpr int kBoxButtonHeight = 25;
constexpr int kBoxButtonWidth = 75;

/// `pixels` at 96 dots per inch, at `dpi`.
inline int scaledTo(int pixels, int dpi)
{
    return MulDiv(pixels, dpi, 96);
}

}  // namespace gantrel::ui::win32
