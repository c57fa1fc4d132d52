// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/window_state.h"
#include "export/export_ui.h"

namespace gantrel::window {

/// A front end's progress dialog of a long operation on the window's thread, shown once the
/// operation has gone on for a while (ProgressTiming).
class ProgressDialog {
public:
    virtual ~ProgressDialog() = default;
    /// Shows or updates the dialog with the text and the bar at `value` of `maximum`; 0 of 0 is
    /// a bar that only shows that the work goes on.
    virtual void update(const std::string& text, std::size_t value, std::size_t maximum) = 0;
    /// True once the dialog's Cancel has been pressed.
    virtual bool cancelled() const = 0;
    /// Closes the dialog, if shown; a later update may show it again.
    virtual void close() = 0;
    /// Starts timing anew, for the work that follows waiting for the user.
    virtual void restart() = 0;
};

/// The progress dialog's text after tile `done` of `total`.
std::string scanProgressText(std::size_t done, std::size_t total);

/// The progress dialog's text during a folder copy, each count written by `number` (the
/// locale's digit grouping).
std::string copyProgressText(const CopyProgress& done,
                             const std::function<std::string(std::uint64_t)>& number);

/// The number with `separator` between its groups of three digits.
std::string groupedDigits(std::uint64_t number, std::string_view separator);

/// The user interface an analysis run talks to while the window runs it. Before any box opens
/// the progress dialog closes and the window renders the model as it stands, so that the box
/// is seen over the current lists. Tile progress goes to the progress dialog (whose Cancel
/// cancels the scan), then on to the dialogs.
class RunInterface final : public UserInterface {
public:
    /// `dialogs` must outlive the interface.
    RunInterface(UserInterface& dialogs, std::unique_ptr<ProgressDialog> progress,
                 std::function<void()> render);

    void showMessage(const std::string& text) override;
    void showError(const std::string& message) override;
    void tileScanned(std::size_t done, std::size_t total) override;
    bool cancelRequested() override { return m_progress->cancelled(); }

private:
    UserInterface& m_dialogs;
    std::unique_ptr<ProgressDialog> m_progress;
    std::function<void()> m_render;
};

/// The user interface an export talks to while the window runs it, and, for the copier export,
/// until its last copier has ended: boxes as RunInterface shows them, the destination from the
/// window's one destination folder dialog, and the progress of a folder copy.
class ExportInterface final : public ExportUi {
public:
    /// `destination` runs the window's destination dialog: the chosen folder, nothing when
    /// cancelled. `dialogs` must outlive the interface.
    ExportInterface(UserInterface& dialogs, std::unique_ptr<ProgressDialog> progress,
                    std::function<std::optional<std::string>()> destination,
                    std::function<std::string(std::uint64_t)> number, std::function<void()> render);

    void showMessage(const std::string& text) override;
    void showError(const std::string& message) override;
    std::optional<std::string> chooseDestination() override;
    void copyProgress(const CopyProgress& done) override;

private:
    UserInterface& m_dialogs;
    std::unique_ptr<ProgressDialog> m_progress;
    std::function<std::optional<std::string>()> m_destination;
    std::function<std::string(std::uint64_t)> m_number;
    std::function<void()> m_render;
};

}  // namespace gantrel::window
