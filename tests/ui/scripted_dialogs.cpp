#include "scripted_dialogs.h"

namespace gantrel::ui::test {

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
    if (chooserAnswers.empty()) {
        return false;
    }
    const std::optional<std::string> answer = chooserAnswers.front();
    chooserAnswers.pop_front();
    if (answer) {
        folder = *answer;
    }
    return answer.has_value();
}

}  // namespace gantrel::ui::test
