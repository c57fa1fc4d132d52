// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <memory>

#include "window/operation_interfaces.h"
#include "window/progress_timing.h"

class QProgressDialog;
class QWidget;

namespace gantrel::ui {

/// The progress dialog of a long operation on the window's thread: once half a second has passed
/// since the operation started, a modal dialog shows a text over a bar, and every update lets
/// the windows repaint. A short operation shows nothing. An operation that can stop halfway
/// gets a Cancel button (Escape presses it) and asks cancelled() after each update; others
/// have none and run to their end.
class DelayedProgress final : public window::ProgressDialog {
public:
    using Clock = window::ProgressTiming::Clock;
    enum class Cancel { No, Yes };

    static constexpr auto kDelay = window::ProgressTiming::kDelay;
    static constexpr auto kRepaintInterval = window::ProgressTiming::kRepaintInterval;

    /// Starts timing the operation now (by `clock`); the dialog, once shown, is modal over
    /// `owner`; with Cancel::Yes it has a Cancel button.
    DelayedProgress(QWidget* owner, Clock clock, Cancel cancel = Cancel::No);
    ~DelayedProgress() override;
    DelayedProgress(const DelayedProgress&) = delete;
    DelayedProgress& operator=(const DelayedProgress&) = delete;

    /// Shows or updates the dialog when the delay has passed: `text` over a bar at `value` of
    /// `maximum` (a busy bar when `maximum` is 0; counts beyond the bar's int range are scaled
    /// onto it); then processes pending events so that the windows repaint. Updates that come
    /// quicker than kRepaintInterval after the last one shown are passed over, so that a copy
    /// of many small files is not slowed by repainting. Input cannot reach the main window
    /// meanwhile: the dialog is application-modal.
    void update(const std::string& text, std::size_t value, std::size_t maximum) override;

    /// True once the dialog's Cancel has been pressed; stays so for the operation's life.
    bool cancelled() const override { return m_cancelled; }

    /// Closes the dialog, if shown; a later update may show it again.
    void close() override;
    /// Closes the dialog and starts timing anew: the work that follows waiting for the user is
    /// timed on its own.
    void restart() override;

private:
    QWidget* m_owner;
    window::ProgressTiming m_timing;
    Cancel m_cancel;
    bool m_cancelled = false;
    std::unique_ptr<QProgressDialog> m_dialog;
};

}  // namespace gantrel::ui
