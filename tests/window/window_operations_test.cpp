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
