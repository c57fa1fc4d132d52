// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>

namespace gantrel::window {

/// When the progress dialog of a long operation on the window's thread shows and takes an
/// update: once kDelay has passed since the operation started, so that a short operation shows
/// nothing, and then at most every kRepaintInterval, so that a copy of many small files is not
/// slowed by repainting.
class ProgressTiming {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    /// How long an operation goes on before the dialog appears.
    static constexpr std::chrono::milliseconds kDelay{500};
    /// How often at most the shown dialog takes a new text and lets the windows repaint.
    static constexpr std::chrono::milliseconds kRepaintInterval{50};

    /// The real clock.
    static std::chrono::steady_clock::time_point now();

    /// Starts timing the operation now, by `clock`.
    explicit ProgressTiming(Clock clock);

    /// True when an update is to be shown now, the dialog being `open` or not yet; a true
    /// answer counts as the update shown.
    bool due(bool open);
    /// Starts timing anew: the work that follows waiting for the user is timed on its own.
    void restart();

private:
    Clock m_clock;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_shown;  // when the dialog last took an update
};

}  // namespace gantrel::window
