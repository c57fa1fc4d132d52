// SPDX-License-Identifier: MIT
#pragma once

// The window's keyboard shortcuts and the tooltips that name them. Each window maps the key
// chords onto its toolkit's keys and sets the tooltips on its controls; no caption changes.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace gantrel::window {

/// A key with its modifiers: `key` is an upper-case letter or a digit, or 0 for the function
/// key numbered `functionKey`.
struct KeyChord {
    bool control = false;
    bool shift = false;
    char key = 0;
    int functionKey = 0;
};

/// The chord as menus and tooltips write it: "Ctrl+Shift+C", "Ctrl+1", "F1".
std::string keyText(const KeyChord& chord);

enum class ShortcutCommand {
    ChooseMapFolder,  // presses "..." (Button2)
    ShowPage,         // shows the page `page`, counted from 0 in tab order
    CopyShownList,    // presses the "Copy to Clipboard" button of the page shown
    ShowNotice,       // presses "Click me" (Button7)
    MakeMapPackage,   // "Make Map Package..." of the folder lists' menu
};

struct Shortcut {
    KeyChord chord;
    ShortcutCommand command;
    std::size_t page;  // for ShowPage
};

inline constexpr std::array<Shortcut, 11> kShortcuts{{
    {{true, false, 'O', 0}, ShortcutCommand::ChooseMapFolder, 0},
    {{true, false, '1', 0}, ShortcutCommand::ShowPage, 0},
    {{true, false, '2', 0}, ShortcutCommand::ShowPage, 1},
    {{true, false, '3', 0}, ShortcutCommand::ShowPage, 2},
    {{true, false, '4', 0}, ShortcutCommand::ShowPage, 3},
    {{true, false, '5', 0}, ShortcutCommand::ShowPage, 4},
    {{true, false, '6', 0}, ShortcutCommand::ShowPage, 5},
    {{true, false, '7', 0}, ShortcutCommand::ShowPage, 6},
    {{true, true, 'C', 0}, ShortcutCommand::CopyShownList, 0},
    {{false, false, 0, 1}, ShortcutCommand::ShowNotice, 0},
    {{true, true, 'P', 0}, ShortcutCommand::MakeMapPackage, 0},
}};

/// The chord of a command (of the page, for ShowPage).
KeyChord chordOf(ShortcutCommand command, std::size_t page = 0);

/// The tooltip of a button by component name, naming its shortcut: "..." (Button2), the seven
/// "Copy to Clipboard" buttons, "Click me" (Button7) and the four export buttons, which name
/// "Make Map Package..." too; empty for any other control.
std::string buttonToolTip(std::string_view button);

/// The tooltip of a page's tab, naming the shortcut that shows it.
std::string pageToolTip(std::size_t page);

}  // namespace gantrel::window
