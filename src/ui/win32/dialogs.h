// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "analysis/window_state.h"
#include "window/relink_flow.h"

namespace gantrel::ui::win32 {

class FolderDialog;
class PackageDialog;
class WhereUsedDialog;

/// Every modal box and chooser the window opens, behind one seam: the program uses
/// NativeDialogs, the tests a scripted implementation whose answers are set before the click,
/// so that no test ever blocks on a modal dialog.
class Dialogs : public gantrel::UserInterface, public window::RelinkFront {
public:
    /// The map folder chooser (chooseMapFolder of map_folder_chooser.h).
    virtual bool chooseMapFolder(const std::string& title, const std::string& root,
                                 std::string& folder) = 0;
    /// Runs the destination folder dialog as it stands (its execute()). Returns true when the
    /// user confirmed a folder: the dialog's selectedFolder() then holds it; false on cancel.
    virtual bool executeFolderDialog(FolderDialog& dialog) = 0;
    /// The Save As dialog of a list, proposing `fileName`: the file chosen, or nullopt when the
    /// user cancelled.
    virtual std::optional<std::string> chooseSaveFile(const std::string& fileName) = 0;
    /// The save dialog for a map package, proposing `fileName` in `folder` (the dialog's own
    /// choice when empty): the file chosen, or nullopt when the user cancelled.
    virtual std::optional<std::string> chooseSaveZip(const std::string& folder,
                                                     const std::string& fileName) = 0;
    /// Runs the map package dialog as it stands (its run()); true when "Create..." was pressed.
    virtual bool executePackageDialog(PackageDialog& dialog) = 0;
    /// Runs the Where Used dialog as it stands (its run()) until it has been closed.
    virtual void executeWhereUsed(WhereUsedDialog& dialog) = 0;
    /// Opens the file in the desktop's default program for its type.
    virtual void openFile(const std::string& path) = 0;
    /// Shows the popup `menu` of `owner` at `at` (screen coordinates) until a command is chosen;
    /// returns the command's identifier, 0 when the menu was dismissed.
    virtual UINT executeMenu(HMENU menu, HWND owner, POINT at) = 0;
};

/// The program's message box: MessageBoxA, task-modal, centred on the screen, captioned with
/// the application title, no icon, one OK button.
void showMessageBox(const std::string& text);

/// The program's own boxes: MessageBoxA, task-modal, centred on the screen, captioned with the
/// application title, one OK button; a report too long for it in the scrolling report box.
class NativeDialogs final : public Dialogs {
public:
    /// The boxes' and the map folder chooser's owner (the main window) from now on; until then
    /// they have none.
    void setOwner(HWND owner) { m_owner = owner; }
    /// The message box: no icon.
    void showMessage(const std::string& text) override;
    /// The error box: the stop icon and errorBoxText(message).
    void showError(const std::string& message) override;
    bool chooseMapFolder(const std::string& title, const std::string& root,
                         std::string& folder) override;
    bool executeFolderDialog(FolderDialog& dialog) override;
    /// GetSaveFileNameW for a text file. A name the program's 8-bit text cannot hold raises
    /// the error the engine raises for such a name.
    std::optional<std::string> chooseSaveFile(const std::string& fileName) override;
    /// GetSaveFileNameW for a zip file, opening in `folder`.
    std::optional<std::string> chooseSaveZip(const std::string& folder,
                                             const std::string& fileName) override;
    bool executePackageDialog(PackageDialog& dialog) override;
    /// The preview in a question box with OK and Cancel, Cancel the default; a preview too long
    /// for it in the scrolling report box with the same buttons.
    bool confirmRelink(const std::string& preview) override;
    /// The report in the message box, or the scrolling report box when it is long.
    void showRelinkReport(const std::string& report) override;
    void executeWhereUsed(WhereUsedDialog& dialog) override;
    /// ShellExecuteW "open".
    void openFile(const std::string& path) override;
    UINT executeMenu(HMENU menu, HWND owner, POINT at) override;

private:
    HWND m_owner = nullptr;
};

}  // namespace gantrel::ui::win32
