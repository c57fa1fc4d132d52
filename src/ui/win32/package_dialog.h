// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <memory>

#include "controls.h"
#include "dpi.h"
#include "window/package_dialog.h"

namespace gantrel::ui::win32 {

class FolderTable;

/// The map package dialog: the model's rows in a list view with check boxes (folder, files,
/// size), the total line below it, "Check all", "Uncheck all", "Create..." and "Cancel". A
/// folder the installation lacks is drawn greyed and its box stays unchecked. Every change goes
/// to the model, and the dialog shows the model again. Laid out at 96 dpi and scaled to the
/// owner's, centred on it; created hidden, run() shows it.
class PackageDialog {
public:
    /// The controls' identifiers; "Create..." is IDOK, "Cancel" IDCANCEL.
    enum : int { kFoldersId = 10, kTotalId, kCheckAllId, kUncheckAllId };

    /// `model` must outlive the dialog.
    PackageDialog(HWND owner, int dpi, window::PackageDialogModel& model);
    ~PackageDialog();
    PackageDialog(const PackageDialog&) = delete;
    PackageDialog& operator=(const PackageDialog&) = delete;

    HWND hwnd() const { return m_box->hwnd(); }
    /// Shows the dialog modal to the thread's windows until it is closed; true when it was
    /// closed with "Create...".
    bool run();
    /// True once "Create..." (or Return) closed the dialog.
    bool created() const { return m_created; }

private:
    /// Sets every row's check box and the total line to the model's.
    void render();
    void close(bool create);

    window::PackageDialogModel& m_model;
    OwnedFont m_font;
    std::unique_ptr<TopWindow> m_box;
    std::unique_ptr<FolderTable> m_folders;
    std::unique_ptr<Static> m_total;
    std::unique_ptr<Button> m_checkAll;
    std::unique_ptr<Button> m_uncheckAll;
    std::unique_ptr<Button> m_create;
    std::unique_ptr<Button> m_cancel;
    bool m_shown = false;
    bool m_created = false;
};

}  // namespace gantrel::ui::win32
