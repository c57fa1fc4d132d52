// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "controls.h"
#include "window/operation_interfaces.h"
#include "window/progress_timing.h"

namespace gantrel::ui::win32 {

/// The progress dialog of a long operation on the window's thread: once half a second has passed
/// since the operation started, a small dialog captioned with the application title shows a
/// text over a bar, modal over `owner` (which it disables while it is open). Every update lets
/// the windows repaint and the dialog take its input. An operation that can stop halfway gets
/// a Cancel button (Escape and the dialog's close box press it) and asks cancelled() after each
/// update; the others run to their end. A short operation shows nothing.
class DelayedProgress final : public window::ProgressDialog {
public:
    using Clock = window::ProgressTiming::Clock;
    enum class Cancel { No, Yes };

    /// The dialog's control identifiers besides IDCANCEL.
    static constexpr int kTextId = 101;
    static constexpr int kBarId = 102;

    /// Starts timing now. `dpi` scales the dialog; `render` shows the window state before a
    /// repaint.
    DelayedProgress(HWND owner, int dpi, Clock clock, Cancel cancel, std::function<void()> render);
    ~DelayedProgress() override;
    DelayedProgress(const DelayedProgress&) = delete;
    DelayedProgress& operator=(const DelayedProgress&) = delete;

    /// Shows or updates the dialog once the delay has passed: `text` over a bar at `value` of
    /// `maximum` (a bar that only shows activity when `maximum` is 0); then handles the pending
    /// messages. Updates quicker than the repaint interval after the last one shown are passed
    /// over.
    void update(const std::string& text, std::size_t value, std::size_t maximum) override;
    /// True once Cancel has been pressed; stays so for the operation's life.
    bool cancelled() const override { return m_cancelled; }
    /// Closes the dialog, if shown; a later update may show it again.
    void close() override;
    /// Closes the dialog and starts timing anew.
    void restart() override;

private:
    // Opens the dialog with room for `lines` lines of text.
    void open(int lines);
    void pump();

    HWND m_owner;
    int m_dpi;
    window::ProgressTiming m_timing;
    Cancel m_cancel;
    std::function<void()> m_render;
    bool m_cancelled = false;
    bool m_ownerDisabled = false;
    std::unique_ptr<TopWindow> m_dialog;
    std::unique_ptr<Static> m_text;
    std::unique_ptr<ProgressBar> m_bar;
    std::unique_ptr<Button> m_cancelButton;
};

}  // namespace gantrel::ui::win32
