// SPDX-License-Identifier: MIT
#pragma once

// What the two window benchmarks share: the map whose analysis fills the window's lists, and
// how their figures are printed.

#include <chrono>
#include <filesystem>
#include <optional>
#include <vector>

namespace gantrel::bench {

/// The number of distinct references the map places: 80,000 objects and 20,000 splines.
constexpr int kReferences = 100'000;

/// Writes below `folder` an installation whose map (returned) places kReferences distinct
/// references in 4,000 object and 1,000 spline folders on 20 tiles, none of them present: the
/// object and spline lists hold that many entries together, and so do the two missing lists.
std::filesystem::path writeWindowBenchMap(const std::filesystem::path& folder);

using Seconds = std::chrono::duration<double>;

/// The figures of one window.
struct WindowFigures {
    Seconds shown;      // from the scan's end (its end message) until the window was shown
    Seconds pageShown;  // the tab of the longest list selected until its page was shown
    // Until that page's memo held the whole list, where the window fills it in steps.
    std::optional<Seconds> filled;
    Seconds longestStep{};         // the longest the window was busy with one step of that filling
    std::vector<Seconds> scrolls;  // page scrolls of the longest list
};

/// Prints the figures of one window, the times until something is shown against the half second
/// allowed, the page scrolls against a frame of a 60 Hz screen. Returns false when a target is
/// missed.
bool printWindowFigures(const char* window, const WindowFigures& figures);

}  // namespace gantrel::bench
