// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "common/window_state.h"

namespace gantrel::ui::win32 {

class FolderDialog;

/// Every modal box and chooser the window opens, behind one seam: the program uses
/// NativeDialogs, the tests a scripted implementation whose answers are set before the click,
/// so that no test ever blocks on a modal dialog.
class Dialogs : public gantrel::UserInterface {
public:
    /// The map folder chooser (chooseMapFolder of map_folder_chooser.h).
    virtual bool chooseMapFolder(const std::string& title, const std::string& root,
                                 std::string& folder) = 0;
    /// Runs the destination folder dialog as it stands (its execute()). Returns true when the
    /// user confirmed a folder: the dialog's selectedFolder() then holds it; false on cancel.
    virtual bool executeFolderDialog(FolderDialog& dialog) = 0;
};

/// The program's message box: MessageBoxA, task-modal, centred on the screen, captioned with
/// the application title, no icon, one OK button.
void showMessageBox(const std::string& text);

/// The program's own boxes: MessageBoxA, task-modal, centred on the screen, captioned with the
/// application title, one OK button; a report too long for it in the scrolling report box.
class NativeDialogs final : public Dialogs {
public:
    /// The message box: no icon.
    void showMessage(const std::string& text) override;
    /// The error box: the stop icon and errorBoxText(message).
    void showError(const std::string& message) override;
    bool chooseMapFolder(const std::string& title, const std::string& root,
                         std::string& folder) override;
    bool executeFolderDialog(FolderDialog& dialog) override;
};

}  // namespace gantrel::ui::win32
