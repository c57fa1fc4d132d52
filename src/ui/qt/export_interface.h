// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "delayed_progress.h"
#include "export/export_ui.h"

class QWidget;

namespace gantrel::ui {

class Dialogs;
class FolderDialog;

/// The user interface an export talks to while the window runs it, and, for the copier export,
/// until its last copier has ended. Before any box opens the window renders the model as it
/// stands and the copy's progress dialog closes. The destination comes from the window's one
/// destination folder dialog, run through the dialogs; the progress of a folder copy (files,
/// bytes and the folder being filled) shows in a delayed progress dialog.
class ExportInterface final : public ExportUi {
public:
    /// `dialogs` and `destination` must outlive the interface; the progress dialog is modal over
    /// `owner`.
    ExportInterface(Dialogs& dialogs, FolderDialog& destination, QWidget* owner,
                    DelayedProgress::Clock clock, std::function<void()> render);

    void showMessage(const std::string& text) override;
    void showError(const std::string& message) override;
    std::optional<std::string> chooseDestination() override;
    void copyProgress(const CopyProgress& done) override;

private:
    void prepareForBox();

    Dialogs& m_dialogs;
    FolderDialog& m_destination;
    DelayedProgress m_progress;
    std::function<void()> m_render;
};

}  // namespace gantrel::ui
