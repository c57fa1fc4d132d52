// SPDX-License-Identifier: MIT
#include "window/window_operations.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <thread>

#include "support/sample_map.h"
#include "support/test_support.h"

namespace gantrel::window {
namespace {

namespace fs = std::filesystem;

// An export interface that answers the destination dialog with a folder set beforehand.
class AnsweringExportUi final : public ExportUi {
public:
    AnsweringExportUi(std::optional<std::string> destination, std::vector<std::string>& messages)
        : m_destination(std::move(destination)), m_messages(messages)
    {
    }
    void showMessage(const std::string& text) override { m_messages.push_back(text); }
    void showError(const std::string& message) override { m_messages.push_back(message); }
    std::optional<std::string> chooseDestination() override { return m_destination; }

private:
    std::optional<std::string> m_destination;
    std::vector<std::string>& m_messages;
};

// A window without widgets: records what the operations show and asks.
class RecordingFront final : public WindowFront {
public:
    void render() override { ++renders; }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void showError(const std::string& message) override { errors.push_back(message); }
    bool chooseMapFolder(const std::string& title, const std::string& root,
                         std::string& folder) override
    {
        chooserTitles.push_back(title + "|" + root);
        if (duringChooser) {
            duringChooser();
        }
        if (!mapFolder) {
            return false;
        }
        folder = *mapFolder;
        return true;
    }
    std::unique_ptr<UserInterface> analysisInterface() override
    {
        return std::make_unique<AnsweringExportUi>(std::nullopt, messages);
    }
    std::unique_ptr<ExportUi> exportInterface() override
    {
        return std::make_unique<AnsweringExportUi>(destination, messages);
    }
    void selectAll(WindowList list) override { selected.push_back(list); }
    void setClipboardText(const std::string& text) override { clipboard = text; }
    void watchCopiers(bool on) override { watching.push_back(on); }
    void watchSearch(bool on) override { searchWatching.push_back(on); }

    int renders = 0;
    std::optional<std::string> mapFolder;
    std::optional<std::string> destination;
    std::function<void()> duringChooser;
    std::vector<std::string> chooserTitles;
    std::vector<std::string> messages;
    std::vector<std::string> errors;
    std::vector<WindowList> selected;
    std::optional<std::string> clipboard;
    std::vector<bool> watching;
    std::vector<bool> searchWatching;
};

class WindowOperationsTest : public ::testing::Test {
protected:
    WindowOperationsTest()
        : sample(folder.path()),
          operations(front, test::textOf(folder.path() / "gantrel.ini"),
                     std::getenv("GANTREL_COPY") != nullptr ? std::getenv("GANTREL_COPY") : "")
    {
    }

    void analyseSample()
    {
        front.mapFolder = test::textOf(sample.map);
        operations.chooseAndAnalyse();
        ASSERT_TRUE(operations.state().exportButtonsVisible);
    }

    test::TempDir folder;
    test::SampleMap sample;
    RecordingFront front;
    WindowOperations operations;
};

TEST(ClipboardTextTest, EveryLineEndsInCrLf)
{
    EXPECT_EQ(clipboardText({"a", "", "b\nc"}), "a\r\n\r\nb\r\nc\r\n");
    EXPECT_EQ(clipboardText({}), "");
}

TEST_F(WindowOperationsTest, ChooserTitleAndRootAndACancelThatChangesNothing)
{
    operations.chooseAndAnalyse();
    EXPECT_EQ(front.chooserTitles, std::vector<std::string>{"Select your MAP folder|\\"});
    EXPECT_TRUE(operations.state().log.empty());
    EXPECT_FALSE(operations.state().exportButtonsVisible);
    EXPECT_EQ(front.renders, 1);
}

TEST_F(WindowOperationsTest, CopiesAListAndLeavesTheClipboardAloneForAnEmptyOne)
{
    operations.copyToClipboard(WindowList::MissingObjects);
    EXPECT_EQ(front.selected, std::vector<WindowList>{WindowList::MissingObjects});
    EXPECT_FALSE(front.clipboard);

    analyseSample();
    operations.copyToClipboard(WindowList::MissingObjects);
    EXPECT_EQ(front.clipboard, "Sceneryobjects\\Trees\\birch.sco\r\n");
    operations.copyToClipboard(WindowList::Log);
    EXPECT_EQ(front.clipboard, clipboardText(operations.state().log));
}

TEST_F(WindowOperationsTest, OneOperationAtATimeAndAnEscapingErrorInTheErrorBox)
{
    // A click queued while the chooser is open does nothing.
    front.duringChooser = [this] { operations.showNotice("notice"); };
    operations.chooseAndAnalyse();
    EXPECT_TRUE(front.messages.empty());
    front.duringChooser = nullptr;

    // A tile that cannot be read ends the run with its error, shown once the window was drawn.
    analyseSample();
    fs::remove(sample.map / "tile_1_0.map");
    fs::create_directory(sample.map / "tile_1_0.map");
    const int renders = front.renders;
    operations.chooseAndAnalyse();
    ASSERT_EQ(front.errors.size(), 1u);
    EXPECT_NE(front.errors[0].find("tile_1_0.map"), std::string::npos) << front.errors[0];
    EXPECT_EQ(front.renders, renders + 2);

    // The window stays usable.
    operations.showNotice("notice");
    EXPECT_EQ(front.messages.back(), "notice");
}

TEST_F(WindowOperationsTest, SaveAsReplacesAFileInOneStepOrLeavesItAsItWas)
{
    analyseSample();
    const fs::path lists = folder.path() / "lists";
    const fs::path saved = lists / "objects.txt";
    test::writeFile(saved, "old");
    std::vector<std::string> proposed;
    const auto saveTo = [&](std::optional<fs::path> file) {
        operations.saveListAs(WindowList::Objects, [&](const std::string& name) {
            proposed.push_back(name);
            return file ? std::optional(test::textOf(*file)) : std::nullopt;
        });
    };

    saveTo(std::nullopt);
    EXPECT_EQ(test::readFile(saved), "old");
    saveTo(saved);
    EXPECT_EQ(test::readFile(saved), clipboardText(operations.state().objects));
    EXPECT_EQ(proposed, (std::vector<std::string>{"Object list.txt", "Object list.txt"}));
    EXPECT_TRUE(front.errors.empty());

    // A read-only file and a folder are left as they were, and no temporary file stays.
    test::writeFile(saved, "old");
    fs::permissions(saved,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    saveTo(saved);
    saveTo(lists);
    fs::permissions(saved, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(test::readFile(saved), "old");
    EXPECT_EQ(front.errors,
              (std::vector<std::string>{"Unable to write to " + test::textOf(saved),
                                        "Unable to write to " + test::textOf(lists)}));
    EXPECT_EQ(std::distance(fs::directory_iterator(lists), fs::directory_iterator()), 1);
}

TEST_F(WindowOperationsTest, CopierExportIsWatchedUntilItsLastCopierHasEnded)
{
    analyseSample();
    const test::TempDir destination;
    front.destination = destination.str();
    front.messages.clear();
    operations.exportFolders(ExportList::ObjectFolders, ExportVariant::CommandCopy);
    ASSERT_EQ(front.watching, std::vector<bool>{true});
    EXPECT_EQ(operations.copierExportsRunning(), 1u);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (operations.copierExportsRunning() > 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the timer's interval
        operations.copierTick();
    }
    EXPECT_EQ(front.watching, (std::vector<bool>{true, false}));
    ASSERT_EQ(front.messages.size(), 2u);
    EXPECT_EQ(front.messages.back(), "Used Scenery Object folders copied successfully.");
    EXPECT_TRUE(fs::exists(destination.path() / "Sceneryobjects" / "Trees" / "oak.sco"));
}

}  // namespace
}  // namespace gantrel::window

namespace gantrel::window {
namespace {

// Relink's dialogs with their answers set beforehand.
class AnsweringRelinkFront final : public RelinkFront {
public:
    bool confirmRelink(const std::string& preview) override
    {
        previews.push_back(preview);
        return confirm;
    }
    void showRelinkReport(const std::string& report) override { reports.push_back(report); }

    bool confirm = false;
    std::vector<std::string> previews;
    std::vector<std::string> reports;
};

TEST_F(WindowOperationsTest, FindsAMissingObjectElsewhereThenRelinksItAndUndoesTheRelink)
{
    test::writeFile(sample.installation / "Sceneryobjects" / "Forest" / "birch.sco", "");
    const fs::path tile = sample.map / "tile_1_0.map";
    const std::string original = test::readFile(tile);
    analyseSample();
    operations.missingSearch().wait();
    const FoundElsewhere* found = operations.missingSearch().result();
    ASSERT_NE(found, nullptr);
    const std::string birch = "Sceneryobjects\\Trees\\birch.sco";
    EXPECT_EQ(foundElsewhereMenuText(found, false),
              birch + "\n    Sceneryobjects\\Forest\\birch.sco\n");
    const std::vector<RelinkChange> choices = relinkChoices(*found, birch);
    ASSERT_EQ(choices.size(), 1u);

    AnsweringRelinkFront dialogs;
    operations.relink(choices[0], dialogs);  // cancelled at the preview
    ASSERT_EQ(dialogs.previews.size(), 1u);
    EXPECT_NE(dialogs.previews[0].find("1 line in 1 tile will change:\n  tile_1_0.map\n"),
              std::string::npos);
    EXPECT_TRUE(dialogs.reports.empty());
    EXPECT_EQ(test::readFile(tile), original);
    EXPECT_FALSE(operations.canUndoRelink());

    dialogs.confirm = true;
    operations.relink(choices[0], dialogs);
    ASSERT_EQ(dialogs.reports.size(), 1u);
    EXPECT_NE(dialogs.reports[0].find("Backup: "), std::string::npos);
    EXPECT_NE(test::readFile(tile).find("Sceneryobjects\\Forest\\birch.sco\r\n"),
              std::string::npos);
    EXPECT_EQ(operations.state().missingObjects, std::vector<std::string>{});  // analysed again
    ASSERT_TRUE(operations.canUndoRelink());

    operations.undoLastRelink(dialogs);
    ASSERT_EQ(dialogs.reports.size(), 2u);
    EXPECT_EQ(dialogs.reports[1], "Restored 1 tile.\n  tile_1_0.map\n");
    EXPECT_EQ(test::readFile(tile), original);
    EXPECT_EQ(operations.state().missingObjects, std::vector<std::string>{birch});
    EXPECT_FALSE(operations.canUndoRelink());
}

TEST_F(WindowOperationsTest, TheLogSaysThatTheSearchRunsAndThenWhatItFound)
{
    test::writeFile(sample.installation / "Sceneryobjects" / "Forest" / "birch.sco", "");
    analyseSample();
    EXPECT_EQ(operations.state().log.back(), kSearchingLogLine);
    EXPECT_EQ(front.searchWatching, std::vector<bool>{true});
    const std::size_t scrolls = operations.state().logScrolls;
    operations.missingSearch().wait();
    operations.searchTick();
    operations.searchTick();  // the end is said once
    EXPECT_EQ(operations.state().log.back(),
              "Search ended: 1 of 2 missing found elsewhere (Found Elsewhere... in their list's "
              "menu).");
    EXPECT_EQ(operations.state().log.end()[-2], kSearchingLogLine);
    EXPECT_EQ(operations.state().logScrolls, scrolls + 1);
    EXPECT_EQ(front.searchWatching, (std::vector<bool>{true, false, false}));

    // A rejected folder keeps the log; the search it cancelled ends there.
    analyseSample();
    operations.analyseMapFolder(test::textOf(sample.installation));
    operations.missingSearch().wait();
    operations.searchTick();
    EXPECT_EQ(operations.state().log.end()[-2], kSearchingLogLine);
    EXPECT_EQ(operations.state().log.back().rfind("Search ", 0), 0u);
    FoundElsewhere cancelled;
    cancelled.cancelled = true;
    cancelled.movedFolders.push_back({"A\\", "B\\", 2, 3, true, false});
    cancelled.unlistedFolders = 4;
    EXPECT_EQ(searchEndLogLine(cancelled, 7),
              "Search cancelled: 0 of 7 missing found elsewhere, 1 moved folder, 4 folders could "
              "not be listed.");
    cancelled.unlistedFolders = 1;
    EXPECT_NE(searchEndLogLine(cancelled, 7).find(", 1 folder could not be listed."),
              std::string::npos);
}

}  // namespace
}  // namespace gantrel::window
