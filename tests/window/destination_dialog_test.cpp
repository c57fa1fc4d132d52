// SPDX-License-Identifier: MIT
#include "window/destination_dialog.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace gantrel::window {
namespace {

// A browser whose openings are scripted: each opening runs the next step, which selects and
// presses as a user would, and returns the confirmed item or nullopt.
class ScriptedDialog final : public DestinationDialog {
public:
    using Step = std::function<std::optional<ItemText>()>;

    ScriptedDialog() : DestinationDialog(languageKeysFor(0x0409), '\\') {}

    void select(const std::string& path)
    {
        selectionChanged({path, path.empty() ? "Computer" : path});
    }
    void pressNewFolder() { newFolderRequested(); }

    bool itemOfFolder = true;  // whether folder parses into an item
    std::deque<Step> steps;
    std::deque<std::optional<std::string>> names;
    std::set<std::string> makeable;
    std::vector<Preselection> preselections;
    std::vector<std::string> prompts, made, messages, pathLines;
    std::vector<std::pair<bool, bool>> buttons;
    int closes = 0;

private:
    bool prepareItems() override { return itemOfFolder; }
    std::optional<ItemText> runOpening(const Preselection& preselection) override
    {
        preselections.push_back(preselection);
        markInitialised();
        if (steps.empty()) {
            ADD_FAILURE() << "an opening nobody expected";
            return std::nullopt;
        }
        const Step step = std::move(steps.front());
        steps.pop_front();
        return step();
    }
    void refreshPathLine() override { pathLines.push_back(displayText()); }
    void enableButtons(bool ok, bool newFolder) override { buttons.emplace_back(ok, newFolder); }
    std::optional<std::string> askFolderName(const std::string& title) override
    {
        prompts.push_back(title);
        std::optional<std::string> name = names.front();
        names.pop_front();
        return name;
    }
    bool makeFolder(const std::string& path) override
    {
        made.push_back(path);
        return makeable.contains(path);
    }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void closeAsCancelled() override { ++closes; }
};

TEST(DestinationDialogTest, NewFolderReopensWithItSelectedAndAFailureWithNothing)
{
    ScriptedDialog dialog;
    dialog.folder = "D:\\Packs";
    dialog.names = {std::nullopt, "", "Map", "\\Bad<"};
    dialog.makeable = {"D:\\Packs\\Map"};
    dialog.steps = {[&]() -> std::optional<DestinationDialog::ItemText> {
                        dialog.select("D:\\Packs");
                        // A cancelled prompt and an empty name leave the browser open.
                        dialog.pressNewFolder();
                        dialog.pressNewFolder();
                        EXPECT_EQ(dialog.closes, 0);
                        dialog.pressNewFolder();
                        return std::nullopt;
                    },
                    [&]() -> std::optional<DestinationDialog::ItemText> {
                        dialog.select("D:\\Packs\\Map");
                        dialog.pressNewFolder();
                        return std::nullopt;
                    },
                    [&]() -> std::optional<DestinationDialog::ItemText> {
                        return DestinationDialog::ItemText{"D:\\Packs\\Map", "Map"};
                    }};
    ASSERT_TRUE(dialog.execute());
    EXPECT_TRUE(dialog.steps.empty());
    ASSERT_EQ(dialog.preselections.size(), 3u);
    EXPECT_TRUE(dialog.preselections[0].initialItem);
    EXPECT_FALSE(dialog.preselections[1].initialItem);
    EXPECT_EQ(dialog.preselections[1].newFolder, "D:\\Packs\\Map");
    EXPECT_TRUE(dialog.preselections[2].none());
    EXPECT_EQ(dialog.prompts, std::vector<std::string>(4, "New folder"));
    // A name that begins with the separator is not given another.
    EXPECT_EQ(dialog.made, (std::vector<std::string>{"D:\\Packs\\Map", "D:\\Packs\\Map\\Bad<"}));
    EXPECT_EQ(dialog.messages, std::vector<std::string>{kCannotCreateFolderText});
    EXPECT_EQ(dialog.closes, 2);
    EXPECT_EQ(dialog.folder, "D:\\Packs\\Map");
    EXPECT_EQ(dialog.selectedFolder(), "D:\\Packs\\Map");
    EXPECT_EQ(dialog.displayText(), "Map");

    // The next run preselects the confirmed folder again; a root keeps its separator.
    dialog.names = {"New"};
    dialog.makeable = {"E:\\New"};
    dialog.steps = {[&]() -> std::optional<DestinationDialog::ItemText> {
                        dialog.select("E:\\");
                        dialog.pressNewFolder();
                        return std::nullopt;
                    },
                    [] { return std::optional<DestinationDialog::ItemText>(); }};
    dialog.preselections.clear();
    EXPECT_FALSE(dialog.execute());
    EXPECT_TRUE(dialog.preselections[0].initialItem);
    EXPECT_EQ(dialog.preselections[1].newFolder, "E:\\New");
    EXPECT_EQ(dialog.made.back(), "E:\\New");
    EXPECT_EQ(dialog.folder, "D:\\Packs\\Map") << "a cancel leaves the folder";
    EXPECT_EQ(dialog.selectedFolder(), "E:\\");
}

TEST(DestinationDialogTest, FolderWithoutAnItemPreselectsNothingAndCancelKeepsIt)
{
    ScriptedDialog dialog;
    dialog.folder = "X:\\Gone";
    dialog.itemOfFolder = false;
    dialog.steps = {[] { return std::optional<DestinationDialog::ItemText>(); }};
    EXPECT_FALSE(dialog.execute());
    EXPECT_TRUE(dialog.preselections.at(0).none());
    EXPECT_EQ(dialog.folder, "X:\\Gone");
    EXPECT_EQ(dialog.selectedFolder(), "X:\\Gone");
}

TEST(DestinationDialogTest, SelectionEnablesOkAsBrowseForSaysAndRefreshesThePathLine)
{
    ScriptedDialog dialog;
    int changes = 0;
    dialog.onSelectionChanged = [&] { ++changes; };
    const auto run = [&](std::vector<std::string> selections) {
        dialog.buttons.clear();
        dialog.pathLines.clear();
        dialog.steps = {[&dialog, selections]() -> std::optional<DestinationDialog::ItemText> {
            for (const std::string& path : selections) {
                dialog.select(path);
            }
            return std::nullopt;
        }};
        dialog.execute();
    };
    run({"C:\\Maps", ""});
    EXPECT_EQ(dialog.buttons, (std::vector<std::pair<bool, bool>>{{true, true}, {false, false}}));
    EXPECT_EQ(dialog.pathLines, (std::vector<std::string>{"C:\\Maps", "Computer"}));
    EXPECT_EQ(changes, 2);

    dialog.browseFor = BrowseFor::bfAll;
    dialog.flags = BrowseInfoFlagSet(bfNewDialogStyle);
    run({""});
    EXPECT_EQ(dialog.buttons, (std::vector<std::pair<bool, bool>>{{true, false}}));
    EXPECT_TRUE(dialog.pathLines.empty()) << "no path line without bfShowPath";
}

}  // namespace
}  // namespace gantrel::window
