// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QString>

#include <optional>
#include <string>

#include "analysis/window_state.h"
#include "window/relink_flow.h"

class QMenu;

namespace gantrel::ui {

class FolderDialog;
class PackageDialog;
class WhereUsedDialog;

/// Every modal box and chooser the window opens, behind one seam: the program uses QtDialogs,
/// the tests a scripted implementation whose answers are set before the click, so that no test
/// ever blocks on a modal dialog.
class Dialogs : public gantrel::UserInterface, public window::RelinkFront {
public:
    /// The map folder chooser. `title` is the instruction text above the tree, `root` the top
    /// of the tree as text ("\" or "/": the root folder of the current drive, the file-system
    /// root where paths have no drives; empty: the whole file system). `folder` is the start
    /// folder on entry. Returns true when the user chose a folder: `folder` then holds its path,
    /// without a trailing separator except for a root. Returns false on cancel: `folder` then
    /// holds the start folder, or the empty string when that was not an existing directory.
    virtual bool chooseMapFolder(const QString& title, const QString& root,
                                 std::string& folder) = 0;
    /// Runs the destination folder dialog as it stands (its execute()). Returns true when the
    /// user confirmed a folder: the dialog's folder() then holds it; false on cancel.
    virtual bool executeFolderDialog(FolderDialog& dialog) = 0;
    /// The save dialog, proposing `fileName` in the user's home folder. Returns the file the
    /// user chose, or nullopt on cancel.
    virtual std::optional<std::string> chooseSaveFile(const std::string& fileName) = 0;
    /// The save dialog for a map package, proposing `fileName` in `folder` (the user's home
    /// folder when empty). Returns the file the user chose, or nullopt on cancel.
    virtual std::optional<std::string> chooseSaveZip(const std::string& folder,
                                                     const std::string& fileName) = 0;
    /// Runs the map package dialog until it is closed; true when "Create..." was pressed.
    virtual bool executePackageDialog(PackageDialog& dialog) = 0;
    /// Pops up a menu at a point on the screen and runs the action the user picks, if any.
    virtual void executeMenu(QMenu& menu, const QPoint& at) = 0;
    /// Runs the Where Used dialog until it is closed.
    virtual void executeWhereUsed(WhereUsedDialog& dialog) = 0;
    /// Opens a file in the desktop's program for its type; false when none could be started.
    virtual bool openFile(const std::string& file) = 0;
};

}  // namespace gantrel::ui
