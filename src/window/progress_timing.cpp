// SPDX-License-Identifier: MIT
#include "window/progress_timing.h"

#include <utility>

namespace gantrel::window {

std::chrono::steady_clock::time_point ProgressTiming::now()
{
    return std::chrono::steady_clock::now();
}

ProgressTiming::ProgressTiming(Clock clock) : m_clock(std::move(clock)), m_start(m_clock()) {}

bool ProgressTiming::due(bool open)
{
    const auto now = m_clock();
    if (open ? now - m_shown < kRepaintInterval : now - m_start < kDelay) {
        return false;
    }
    m_shown = now;
    return true;
}

void ProgressTiming::restart()
{
    m_start = m_clock();
}

}  // namespace gantrel::window
