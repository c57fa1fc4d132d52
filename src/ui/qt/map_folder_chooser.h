// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <string>

class QWidget;

namespace gantrel::ui {

/// The folder a root text of the map folder chooser names: "\" or "/" alone is the root folder
/// of the current drive (the file-system root where paths have no drives); any other text is
/// that folder when it exists; the empty string (the whole file system) otherwise.
QString rootFolderFromText(const QString& root);

/// The map folder chooser: a classic, fixed-size FolderBrowser with `title` as its instruction
/// text, the tree from `root` (rootFolderFromText) and `folder` preselected. A start folder
/// that is not an existing directory is dropped without a message. Returns true with `folder`
/// set to the chosen folder (no trailing separator except for a root), or false on cancel with
/// `folder` left at the (possibly dropped) start folder. Blocks until the dialog is closed.
bool chooseMapFolder(const QString& title, const QString& root, std::string& folder,
                     QWidget* owner = nullptr);

}  // namespace gantrel::ui
