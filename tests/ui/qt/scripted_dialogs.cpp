// SPDX-License-Identifier: MIT
#include "scripted_dialogs.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

#include "folder_dialog.h"
#include "where_used_dialog.h"

namespace gantrel::ui::test {
namespace {

// Takes the next answer, if any, into `folder`; false for a cancel or when none is left.
bool takeAnswer(std::deque<std::optional<std::string>>& answers, std::string& folder)
{
    if (answers.empty()) {
        return false;
    }
    const std::optional<std::string> answer = std::move(answers.front());
    answers.pop_front();
    if (answer) {
        folder = *answer;
    }
    return answer.has_value();
}

}  // namespace

void ScriptedDialogs::showMessage(const std::string& text)
{
    if (onBox) {
        onBox();
    }
    messages.push_back(text);
}

void ScriptedDialogs::showError(const std::string& message)
{
    if (onBox) {
        onBox();
    }
    errors.push_back(message);
}

void ScriptedDialogs::tileScanned(std::size_t done, std::size_t total)
{
    if (onTile) {
        onTile(done, total);
    }
}

bool ScriptedDialogs::chooseMapFolder(const QString& title, const QString& root,
                                      std::string& folder)
{
    chooserCalls.push_back({title, root, folder});
    return takeAnswer(chooserAnswers, folder);
}

bool ScriptedDialogs::executeFolderDialog(FolderDialog& dialog)
{
    destinationCalls.emplace_back(&dialog, dialog.folder());
    std::string folder;
    if (!takeAnswer(destinationAnswers, folder)) {
        return false;
    }
    dialog.setFolder(folder);
    return true;
}

std::optional<std::string> ScriptedDialogs::chooseSaveFile(const std::string& fileName)
{
    saveCalls.push_back(fileName);
    std::string file;
    if (!takeAnswer(saveAnswers, file)) {
        return std::nullopt;
    }
    return file;
}

std::optional<std::string> ScriptedDialogs::chooseSaveZip(const std::string& folder,
                                                          const std::string& fileName)
{
    return chooseSaveFile(folder + "|" + fileName);
}

bool ScriptedDialogs::executePackageDialog(PackageDialog& dialog)
{
    return onPackage && onPackage(dialog);
}

void ScriptedDialogs::executeMenu(QMenu& menu, const QPoint& /*at*/)
{
    QStringList items;
    QAction* chosen = nullptr;
    const QString answer = menuAnswers.empty() ? QString() : menuAnswers.front();
    if (!menuAnswers.empty()) {
        menuAnswers.pop_front();
    }
    for (QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            items << QStringLiteral("-");
            continue;
        }
        items << (action->isEnabled() ? action->text()
                                      : QLatin1Char('(') + action->text() + QLatin1Char(')'));
        if (action->isEnabled() && action->text() == answer) {
            chosen = action;
        }
    }
    menus.push_back(items);
    if (chosen != nullptr) {
        chosen->trigger();
    }
}

void ScriptedDialogs::executeWhereUsed(WhereUsedDialog& dialog)
{
    whereUsedEntries.push_back(dialog.findChild<QLabel*>(QStringLiteral("entry"))->text());
    if (onWhereUsed) {
        onWhereUsed(dialog);
    }
}

bool ScriptedDialogs::openFile(const std::string& file)
{
    openedFiles.push_back(file);
    return true;
}

bool ScriptedDialogs::confirmRelink(const std::string& preview)
{
    relinkPreviews.push_back(preview);
    if (relinkAnswers.empty()) {
        return false;
    }
    const bool answer = relinkAnswers.front();
    relinkAnswers.pop_front();
    return answer;
}

void ScriptedDialogs::showRelinkReport(const std::string& report)
{
    relinkReports.push_back(report);
}

}  // namespace gantrel::ui::test
