// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <utility>

#include "delayed_progress.h"

class QWidget;

namespace gantrel::ui {

/// The progress of a long scan: "Tile t of N" with a bar and Cancel, in a DelayedProgress.
class ScanProgress {
public:
    /// Starts timing the run now (by `clock`); the dialog, once shown, is modal over `owner`.
    ScanProgress(QWidget* owner, DelayedProgress::Clock clock)
        : m_progress(owner, std::move(clock), DelayedProgress::Cancel::Yes)
    {
    }

    /// After tile `done` of `total`: shows or updates the dialog when the delay has passed, then
    /// lets the windows repaint.
    void tileScanned(std::size_t done, std::size_t total);

    /// True once the dialog's Cancel has been pressed.
    bool cancelled() const { return m_progress.cancelled(); }

    /// Closes the dialog, if shown; a later tile may show it again.
    void close() { m_progress.close(); }

private:
    DelayedProgress m_progress;
};

}  // namespace gantrel::ui
