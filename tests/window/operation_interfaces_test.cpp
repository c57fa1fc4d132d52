// SPDX-License-Identifier: MIT
#include "window/operation_interfaces.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>


namespace gantrel::window {
namespace {

// Every call the interfaces make of the progress dialog, the render and the boxes, in order.
struct Events {
    std::vector<std::string> seen;
};

class RecordingProgress final : public ProgressDialog {
public:
    explicit RecordingProgress(Events& events) : m_events(events) {}
    void update(const std::string& text, std::size_t value, std::size_t maximum) override
    {
        m_events.seen.push_back(text + " " + std::to_string(value) + "/" + std::to_string(maximum));
    }
    bool cancelled() const override { return cancel; }
    void close() override { m_events.seen.push_back("close"); }
    void restart() override { m_events.seen.push_back("restart"); }

    bool cancel = false;

private:
    Events& m_events;
};

class RecordingBoxes final : public UserInterface {
public:
    explicit RecordingBoxes(Events& events) : m_events(events) {}
    void showMessage(const std::string& text) override { m_events.seen.push_back("box " + text); }
    void showError(const std::string& message) override
    {
        m_events.seen.push_back("error " + message);
    }
    void tileScanned(std::size_t done, std::size_t) override
    {
        m_events.seen.push_back("tile " + std::to_string(done));
    }

private:
    Events& m_events;
};

TEST(OperationInterfaces, BoxesComeAfterTheProgressClosedAndTheWindowRendered)
{
    Events events;
    RecordingBoxes boxes(events);
    auto owned = std::make_unique<RecordingProgress>(events);
    RecordingProgress& progress = *owned;
    RunInterface run(boxes, std::move(owned), [&] { events.seen.push_back("render"); });

    run.tileScanned(2, 5);
    run.tileScanned(0, 0);  // an empty map still has a bar to show
    EXPECT_FALSE(run.cancelRequested());
    progress.cancel = true;
    EXPECT_TRUE(run.cancelRequested());
    run.showMessage("done");
    run.showError("failed");
    EXPECT_EQ(events.seen, (std::vector<std::string>{"Tile 2 of 5 2/5", "tile 2", "Tile 0 of 0 0/1",
                                                     "tile 0", "close", "render", "box done",
                                                     "close", "render", "error failed"}));
}

TEST(OperationInterfaces, TheCopyIsTimedFromTheChosenDestinationAndShowsGroupedCounts)
{
    Events events;
    RecordingBoxes boxes(events);
    std::optional<std::string> answer;
    ExportInterface exporting(
        boxes, std::make_unique<RecordingProgress>(events), [&] { return answer; },
        [](std::uint64_t number) { return groupedDigits(number, "."); },
        [&] { events.seen.push_back("render"); });

    EXPECT_EQ(exporting.chooseDestination(), std::nullopt);  // cancelled: nothing restarts
    answer = "/pack";
    EXPECT_EQ(exporting.chooseDestination(), "/pack");
    exporting.copyProgress({1234, 1234567, "/pack/Splines"});
    exporting.showMessage("copied");
    EXPECT_EQ(events.seen,
              (std::vector<std::string>{"restart",
                                        "Files copied: 1.234\nBytes copied: 1.234.567\n"
                                        "Copying into: /pack/Splines 0/0",
                                        "close", "render", "box copied"}));
    EXPECT_EQ(groupedDigits(0, ","), "0");
    EXPECT_EQ(groupedDigits(999, ","), "999");
    EXPECT_EQ(groupedDigits(1000, "\xA0"),
              "1\xA0"
              "000");
    EXPECT_EQ(groupedDigits(18446744073709551615u, ","), "18,446,744,073,709,551,615");
}

}  // namespace
}  // namespace gantrel::window
