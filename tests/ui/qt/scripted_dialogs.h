// SPDX-License-Identifier: MIT
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QStringList>

#include "dialogs.h"

namespace gantrel::ui::test {

/// Dialogs whose answers are set before the click: nothing modal ever opens.
class ScriptedDialogs final : public Dialogs {
public:
    struct ChooserCall {
        QString title;
        QString root;
        std::string startFolder;
    };

    void showMessage(const std::string& text) override;
    void showError(const std::string& message) override;
    void tileScanned(std::size_t done, std::size_t total) override;
    /// Takes the next answer: a folder is chosen, nullopt (or no answer left) cancels.
    bool chooseMapFolder(const QString& title, const QString& root, std::string& folder) override;
    /// Takes the next destination answer as chooseMapFolder takes its: a chosen folder is set
    /// as the dialog's folder, as a confirmed dialog leaves it.
    bool executeFolderDialog(FolderDialog& dialog) override;
    /// Records the proposed name and takes the next save answer (none left: cancel).
    std::optional<std::string> chooseSaveFile(const std::string& fileName) override;
    /// Records the menu's items and triggers the one named by the next menu answer, if it is
    /// there and enabled (none left: the menu is closed).
    void executeMenu(QMenu& menu, const QPoint& at) override;
    /// Records the dialog's entry and hands the dialog to onWhereUsed, if set, to drive it.
    void executeWhereUsed(WhereUsedDialog& dialog) override;
    /// Records the file instead of starting a program.
    bool openFile(const std::string& file) override;
    /// Records the preview and takes the next relink answer (none left: cancel).
    bool confirmRelink(const std::string& preview) override;
    void showRelinkReport(const std::string& report) override;
    /// Records "folder|name" in saveCalls and answers from saveAnswers.
    std::optional<std::string> chooseSaveZip(const std::string& folder,
                                             const std::string& fileName) override;
    /// Hands the dialog to onPackage, if set, and returns its answer; false without one.
    bool executePackageDialog(PackageDialog& dialog) override;

    std::deque<std::optional<std::string>> chooserAnswers;
    std::deque<std::optional<std::string>> destinationAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::deque<QString> menuAnswers;
    std::deque<bool> relinkAnswers;
    /// Runs when a box opens, before it is recorded, so a test can look at the window then.
    std::function<void()> onBox;
    std::function<void(std::size_t, std::size_t)> onTile;
    std::function<void(WhereUsedDialog&)> onWhereUsed;
    std::function<bool(PackageDialog&)> onPackage;

    std::vector<ChooserCall> chooserCalls;
    /// The destination dialogs run, each with the folder it would have opened at.
    std::vector<std::pair<const FolderDialog*, std::string>> destinationCalls;
    std::vector<std::string> saveCalls;
    /// Each menu shown: its items' texts in order, a disabled one in brackets, "-" a separator.
    std::vector<QStringList> menus;
    std::vector<QString> whereUsedEntries;
    std::vector<std::string> openedFiles;
    std::vector<std::string> relinkPreviews;
    std::vector<std::string> relinkReports;
    std::vector<std::string> messages;
    std::vector<std::string> errors;
};

}  // namespace gantrel::ui::test
