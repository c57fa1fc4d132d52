// SPDX-License-Identifier: MIT
#pragma once

namespace gantrel::window {

/// A rectangle on the screen: its top-left corner and its size, in the toolkit's pixels.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

/// Where a window placed at `window` goes so that it lies wholly on `available`, the screen's
/// area free of task bars: where it fits, it stays; otherwise it moves just enough to fit.
/// A window wider or taller than that area keeps its title bar and left edge on the screen.
ScreenRect fitOnScreen(const ScreenRect& window, const ScreenRect& available);

}  // namespace gantrel::window
