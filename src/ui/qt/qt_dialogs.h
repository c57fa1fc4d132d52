// SPDX-License-Identifier: MIT
#pragma once

#include "dialogs.h"

namespace gantrel::ui {

/// The program's own boxes: modal, centred on the screen, captioned with the application
/// title, one OK button. The map folder chooser is chooseMapFolder of map_folder_chooser.h.
class QtDialogs final : public Dialogs {
public:
    /// The message box: no icon.
    void showMessage(const std::string& text) override;
    /// The error box: the stop icon and errorBoxText(message), so callers pass the raw message.
    void showError(const std::string& message) override;
    bool chooseMapFolder(const QString& title, const QString& root, std::string& folder) override;
    bool executeFolderDialog(FolderDialog& dialog) override;
    std::optional<std::string> chooseSaveFile(const std::string& fileName) override;
    std::optional<std::string> chooseSaveZip(const std::string& folder,
                                             const std::string& fileName) override;
    bool executePackageDialog(PackageDialog& dialog) override;
    void executeMenu(QMenu& menu, const QPoint& at) override;
    void executeWhereUsed(WhereUsedDialog& dialog) override;
    bool openFile(const std::string& file) override;
    bool confirmRelink(const std::string& preview) override;
    void showRelinkReport(const std::string& report) override;
};

}  // namespace gantrel::ui
