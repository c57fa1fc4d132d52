// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "controls.h"

namespace gantrel::ui::win32 {

/// The progress of a long operation on the window's thread: once half a second has passed since
/// the operation started, `line` shows a text, and every update lets the windows repaint. A
/// short operation shows nothing. Input is not taken meanwhile: the operation runs to its end.
class DelayedProgress {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr std::chrono::milliseconds kDelay{500};
    /// How often at most the shown line takes a new text and the windows repaint.
    static constexpr std::chrono::milliseconds kRepaintInterval{50};

    /// Starts timing now; `render` shows the window state before a repaint.
    DelayedProgress(Static& line, Clock clock, std::function<void()> render);
    ~DelayedProgress() { close(); }
    DelayedProgress(const DelayedProgress&) = delete;
    DelayedProgress& operator=(const DelayedProgress&) = delete;

    void update(const std::string& text);
    /// Hides the line; a later update may show it again.
    void close();
    /// Hides the line and starts timing anew.
    void restart();

private:
    Static& m_line;
    Clock m_clock;
    std::function<void()> m_render;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_shown;
};

}  // namespace gantrel::ui::win32
