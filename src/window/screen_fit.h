// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

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

/// The share of the screen's free area, each way, that a box of a long report takes at most.
constexpr double kReportScreenShare = 0.8;

/// True for a box text too long for a plain message box (25 line breaks or more): it is shown
/// in a box that scrolls and fits the screen.
bool isLongReport(std::string_view text);

}  // namespace gantrel::window
