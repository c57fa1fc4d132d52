// SPDX-License-Identifier: MIT
#include "progress.h"

#include <utility>

namespace gantrel::ui::win32 {

DelayedProgress::DelayedProgress(Static& line, Clock clock, std::function<void()> render)
    : m_line(line), m_clock(std::move(clock)), m_render(std::move(render)), m_start(m_clock())
{
}

void DelayedProgress::update(const std::string& text)
{
    const auto now = m_clock();
    if (now - m_start < kDelay || (m_line.visible() && now - m_shown < kRepaintInterval)) {
        return;
    }
    m_shown = now;
    m_line.setText(text);
    m_line.setVisible(true);
    m_render();
    // Only paint messages: a click waits until the operation has ended, and then finds it so.
    MSG message{};
    while (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE) != FALSE) {
        DispatchMessageA(&message);
    }
    UpdateWindow(GetParent(m_line.hwnd()));
}

void DelayedProgress::close()
{
    m_line.setVisible(false);
}

void DelayedProgress::restart()
{
    close();
    m_start = m_clock();
}

}  // namespace gantrel::ui::win32
