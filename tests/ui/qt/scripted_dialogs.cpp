// SPDX-License-Identifier: MIT
#include "scripted_dialogs.h"

#include "folder_dialog.h"

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

}  // namespace gantrel::ui::test
