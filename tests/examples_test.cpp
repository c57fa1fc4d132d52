// SPDX-License-Identifier: MIT
// The scanner on the bundled sample installation: what a map builder sees for maps/Demo.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <sstream>

#include "cli/scanner.h"
#include "support/test_support.h"

namespace gantrel {
namespace {

using Lines = std::vector<std::string>;

struct Scan {
    int status;
    std::string out;
    std::string err;
};

Scan scan(const std::vector<std::string>& arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = runScanner(arguments, out, err);
    return {status, out.str(), err.str()};
}

std::string sampleMap(const char* name)
{
    return test::textOf(test::examplesFolder() / "TELV 2" / "maps" / name);
}

Lines lower(Lines lines)
{
    for (std::string& line : lines) {
        std::transform(line.begin(), line.end(), line.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    }
    return lines;
}

// Entries that differ only in case may come out in either order; everything else is fixed.
void expectSortedList(const nlohmann::json& actual, const Lines& expected)
{
    const Lines entries = actual.get<Lines>();
    EXPECT_EQ(lower(entries), lower(expected));
    Lines a = entries;
    Lines b = expected;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    EXPECT_EQ(a, b);
}

TEST(SampleMap, ListsWhatTheDemoMapUsesAndMisses)
{
    const Scan result = scan({"--json", sampleMap("Demo")});
    ASSERT_EQ(result.status, kScanMissing) << result.err;
    const auto json = nlohmann::json::parse(result.out);

    const Lines log = json["log"].get<Lines>();
    ASSERT_EQ(log.size(), 16u);
    EXPECT_EQ(log[0], "Loaded successfully from path " + sampleMap("Demo"));
    EXPECT_EQ(log[1], "This map contains 5 tiles.");
    EXPECT_EQ(log[6], "Tile 5 of 5 verified successfully.");
    EXPECT_EQ(Lines(log.begin() + 10, log.end()),
              (Lines{"Scenery Objects: 13", "Scenery Object Folders: 10", "Splines: 6",
                     "Spline Folders: 4", "Missing Objects: 3", "Missing Splines: 2"}));

    // JSON text is UTF-8 on every platform.
    expectSortedList(
        json["objectFolders"],
        {"", "Sceneryobjects\\", "Sceneryobjects\\Fences\\", "Sceneryobjects\\H\xC3\xA4user\\",
         "Sceneryobjects\\Houses\\", "Sceneryobjects\\houses\\", "Sceneryobjects\\Houses\\Old\\",
         "Sceneryobjects\\Signs\\", "Sceneryobjects\\trees\\", "Sceneryobjects\\Trees\\"});
    expectSortedList(json["splineFolders"], {"Splines\\Bridges\\", "Splines\\paths\\",
                                             "Splines\\Rails\\", "Splines\\Roads\\"});
    expectSortedList(
        json["objects"],
        {"lamp.sco", "Sceneryobjects\\bench.sco", "Sceneryobjects\\Fences\\fence_wood.sco",
         "Sceneryobjects\\H\xC3\xA4user\\altbau.sco", "Sceneryobjects\\Houses\\h1.sco",
         "Sceneryobjects\\houses\\H1.sco", "Sceneryobjects\\Houses\\h2.sco",
         "Sceneryobjects\\Houses\\Old\\barn.sco", "Sceneryobjects\\Signs\\busstop.sco",
         "Sceneryobjects\\Signs\\speed30.sco", "Sceneryobjects\\Signs\\stop.sco",
         "Sceneryobjects\\Trees\\Birch.sco", "Sceneryobjects\\trees\\oak.sco"});
    expectSortedList(json["splines"],
                     {"Splines\\Bridges\\bridge_steel.sli", "Splines\\paths\\footpath.sli",
                      "Splines\\Rails\\rail_single.sli", "Splines\\Rails\\tram_track.sli",
                      "Splines\\Roads\\road_2lane.sli", "Splines\\Roads\\road_4lane.sli"});
    EXPECT_EQ(json["missingObjects"].get<Lines>(),
              (Lines{"lamp.sco", "Sceneryobjects\\Fences\\fence_wood.sco",
                     "Sceneryobjects\\Signs\\speed30.sco"}));
    EXPECT_EQ(json["missingSplines"].get<Lines>(),
              (Lines{"Splines\\Bridges\\bridge_steel.sli", "Splines\\Rails\\tram_track.sli"}));
    EXPECT_EQ(json["tiles"].size(), 5u);
    EXPECT_EQ(json["exportButtonsVisible"], true);
    EXPECT_TRUE(json["error"].is_null());
}

TEST(SampleMap, TextOutputEndsWithTheMissingSplines)
{
    const Scan result = scan({sampleMap("Demo")});
    EXPECT_EQ(result.status, kScanMissing);
    const std::string tail =
        "\nMissing Splines\nSplines\\Bridges\\bridge_steel.sli\nSplines\\Rails\\tram_track.sli\n";
    ASSERT_GE(result.out.size(), tail.size());
    EXPECT_EQ(result.out.substr(result.out.size() - tail.size()), tail);
    EXPECT_EQ(result.err,
              "End of analysis. Check the Activity log and other tabs for additional info.\n");
}

TEST(SampleMap, TheFolderWithoutAilistsIsNoMap)
{
    const Scan result = scan({sampleMap("NotAMap")});
    EXPECT_EQ(result.status, kScanFailed);
    EXPECT_EQ(result.err, "Invalid map folder structure. Is this really a map folder?\n");
}

}  // namespace
}  // namespace gantrel
