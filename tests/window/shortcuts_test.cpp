// SPDX-License-Identifier: MIT
#include "window/shortcuts.h"

#include <gtest/gtest.h>

#include <set>

#include "window/window_design.h"

namespace gantrel::window {
namespace {

// What each key does is pressed in the windows' own tests; here: no key serves two commands,
// and each tooltip names the key of what its control does.
TEST(ShortcutsTest, EveryKeyIsUniqueAndNamedByTheTooltipOfWhatItPresses)
{
    std::set<std::string> keys;
    for (const Shortcut& shortcut : kShortcuts) {
        EXPECT_TRUE(keys.insert(keyText(shortcut.chord)).second) << keyText(shortcut.chord);
    }
    EXPECT_EQ(keyText(chordOf(ShortcutCommand::CopyShownList)), "Ctrl+Shift+C");
    EXPECT_EQ(keyText(chordOf(ShortcutCommand::ShowNotice)), "F1");
    EXPECT_EQ(keyText(chordOf(ShortcutCommand::MakeMapPackage)), "Ctrl+Shift+P");
    for (std::size_t page = 0; page < kPages.size(); ++page) {
        const std::string key = "(Ctrl+" + std::to_string(page + 1) + ")";
        EXPECT_TRUE(pageToolTip(page).ends_with(key)) << pageToolTip(page);
        EXPECT_TRUE(buttonToolTip(kPages[page].copyButton).ends_with("(Ctrl+Shift+C)"));
    }
    EXPECT_TRUE(buttonToolTip("Button2").ends_with("(Ctrl+O)"));
    EXPECT_TRUE(buttonToolTip("Button7").ends_with("(F1)"));
    EXPECT_EQ(buttonToolTip("caminho"), "");
}

}  // namespace
}  // namespace gantrel::window
