// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include "analysis/window_state.h"
#include "delayed_progress.h"
#include "scan_progress.h"

class QWidget;

namespace gantrel::ui {

class Dialogs;

/// The user interface an analysis run talks to while the window runs it. Before any box opens
/// the window renders the model as it stands, so that the box is seen over the current lists;
/// the progress dialog closes first. Tile progress goes to the run's progress dialog (modal over
/// `owner`, timed from the interface's creation), then on to the dialogs; its Cancel cancels
/// the scan.
class RunInterface final : public gantrel::UserInterface {
public:
    RunInterface(Dialogs& dialogs, QWidget* owner, DelayedProgress::Clock clock,
                 std::function<void()> render);

    void showMessage(const std::string& text) override;
    void showError(const std::string& message) override;
    void tileScanned(std::size_t done, std::size_t total) override;
    bool cancelRequested() override { return m_progress.cancelled(); }

private:
    void prepareForBox();

    Dialogs& m_dialogs;
    ScanProgress m_progress;
    std::function<void()> m_render;
};

}  // namespace gantrel::ui
