// SPDX-License-Identifier: MIT
#include "window/shortcuts.h"

#include <algorithm>

#include "window/window_design.h"

namespace gantrel::window {
namespace {

std::string withKey(std::string_view words, const KeyChord& chord)
{
    return std::string(words) + " (" + keyText(chord) + ")";
}

}  // namespace

std::string keyText(const KeyChord& chord)
{
    std::string text;
    if (chord.control) {
        text += "Ctrl+";
    }
    if (chord.shift) {
        text += "Shift+";
    }
    if (chord.key != 0) {
        text += chord.key;
    } else {
        text += "F" + std::to_string(chord.functionKey);
    }
    return text;
}

KeyChord chordOf(ShortcutCommand command, std::size_t page)
{
    const auto found =
        std::find_if(kShortcuts.begin(), kShortcuts.end(), [&](const Shortcut& shortcut) {
            return shortcut.command == command &&
                   (command != ShortcutCommand::ShowPage || shortcut.page == page);
        });
    return found != kShortcuts.end() ? found->chord : KeyChord{};
}

std::string buttonToolTip(std::string_view button)
{
    if (button == "Button2") {
        return withKey("Choose the map folder and analyse it",
                       chordOf(ShortcutCommand::ChooseMapFolder));
    }
    if (button == "Button7") {
        return withKey("About Gantrel", chordOf(ShortcutCommand::ShowNotice));
    }
    const bool copyButton = std::any_of(kPages.begin(), kPages.end(), [&](const PageDesign& page) {
        return button == page.copyButton;
    });
    if (copyButton) {
        return withKey("Copy this list to the clipboard", chordOf(ShortcutCommand::CopyShownList));
    }
    const bool exportButton =
        std::any_of(kExportButtons.begin(), kExportButtons.end(),
                    [&](const ExportButtonDesign& design) { return button == design.name; });
    if (exportButton) {
        return withKey(
            "Copy the used folders into another folder. For one zip with the map "
            "and its folders: Make Map Package... in the list's menu",
            chordOf(ShortcutCommand::MakeMapPackage));
    }
    return {};
}

std::string pageToolTip(std::size_t page)
{
    return withKey("Show this page", chordOf(ShortcutCommand::ShowPage, page));
}

}  // namespace gantrel::window
