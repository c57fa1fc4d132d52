// SPDX-License-Identifier: MIT
#include "screen_fit.h"

#include <algorithm>
#include <cstddef>

namespace gantrel::window {
namespace {

// The start of a span of `length` moved just enough to lie within [low, low + room); a span
// longer than the room starts at its low end.
int fitSpan(int start, int length, int low, int room)
{
    return std::max(low, std::min(start, low + room - length));
}

}  // namespace

ScreenRect fitOnScreen(const ScreenRect& window, const ScreenRect& available)
{
    return {fitSpan(window.left, window.width, available.left, available.width),
            fitSpan(window.top, window.height, available.top, available.height), window.width,
            window.height};
}

bool isLongReport(std::string_view text)
{
    constexpr std::ptrdiff_t kMaxBoxLines = 25;
    return std::count(text.begin(), text.end(), '\n') >= kMaxBoxLines;
}

}  // namespace gantrel::window
