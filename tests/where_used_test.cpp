// SPDX-License-Identifier: MIT
#include "analysis/where_used.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <utility>

#include "analysis/analysis_run.h"
#include "common/error.h"
#include "support/test_support.h"

namespace gantrel {
namespace {

namespace fs = std::filesystem;
using Uses = std::vector<std::pair<std::string, std::size_t>>;  // tile file name, first line

// The tiles that use the entry, by file name, with the first line of each.
Uses usesOf(const WindowState& state, std::string_view entry)
{
    Uses uses;
    for (const TileUse& use : whereUsed(state, entry)) {
        uses.emplace_back(fs::path(test::pathOf(state.tiles.at(use.tile))).filename().string(),
                          use.line);
    }
    return uses;
}

TEST(WhereUsed, TellsTheTilesAndFirstLinesOfEachEntryOfTheSampleMap)
{
    const std::string demo = test::textOf(test::examplesFolder() / "TELV 2" / "maps" / "Demo");
    WindowState state;
    test::RecordingUi ui;
    NoMapsFolderStore store;
    // A second run must hold nothing more than the first.
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(runAnalysis(demo, state, ui, store), RunEnd::Completed);
        EXPECT_EQ(state.whereUsed.tiles(), 5u);
        // Every missing entry: tile_0_1 is UTF-16 little-endian, tile_1_0 big-endian, tile_1_1
        // UTF-8, the others 8-bit text.
        EXPECT_EQ(usesOf(state, "lamp.sco"), (Uses{{"tile_1_1.map", 45}}));
        EXPECT_EQ(usesOf(state, "Sceneryobjects\\Fences\\fence_wood.sco"),
                  (Uses{{"tile_1_0.map", 45}}));
        EXPECT_EQ(usesOf(state, "Sceneryobjects\\Signs\\speed30.sco"),
                  (Uses{{"tile_0_1.map", 57}}));
        EXPECT_EQ(usesOf(state, "Splines\\Bridges\\bridge_steel.sli"),
                  (Uses{{"tile_2_0.map", 45}}));
        EXPECT_EQ(usesOf(state, "Splines\\Rails\\tram_track.sli"), (Uses{{"tile_1_0.map", 33}}));
        // On several tiles, in each encoding, in the tile list's order.
        EXPECT_EQ(usesOf(state, test::narrow(u"Sceneryobjects\\H\u00e4user\\altbau.sco")),
                  (Uses{{"tile_0_0.map", 23}, {"tile_0_1.map", 33}, {"tile_1_1.map", 57}}));
        EXPECT_EQ(usesOf(state, "Splines\\Roads\\road_2lane.sli"),
                  (Uses{{"tile_0_0.map", 47}, {"tile_0_1.map", 9}, {"tile_2_0.map", 21}}));
        // Matched with their letter case, as the seen-sets match.
        EXPECT_EQ(usesOf(state, "Sceneryobjects\\Houses\\h1.sco"),
                  (Uses{{"tile_0_0.map", 11}, {"tile_0_1.map", 21}}));
        EXPECT_EQ(usesOf(state, "Sceneryobjects\\houses\\H1.sco"), (Uses{{"tile_1_0.map", 9}}));
        EXPECT_EQ(usesOf(state, "Sceneryobjects\\houses\\h1.sco"), Uses{});
        EXPECT_EQ(usesOf(state, "Sceneryobjects\\Houses\\"), Uses{});
    }

    // Asked all at once, in one batch or in batches of a few uses, every entry of the lists
    // answers as when asked alone; so does a copy.
    const WindowState copy = state;
    for (const std::size_t usesAtATime : {std::size_t{1} << 20, std::size_t{2}}) {
        for (const auto* list : {&state.objects, &state.splines}) {
            std::size_t visited = 0;
            const auto check = [&](std::size_t i, std::span<const TileUse> uses) {
                EXPECT_EQ(i, visited++);
                EXPECT_EQ(std::vector<TileUse>(uses.begin(), uses.end()),
                          whereUsed(copy, (*list)[i]))
                    << (*list)[i];
            };
            state.whereUsed.forEachUses(*list, check, usesAtATime);
            EXPECT_EQ(visited, list->size());
        }
    }
}

TEST(WhereUsed, ARunThatEndsInAnErrorKeepsWhatItRecorded)
{
    test::TempDir dir;
    const fs::path map = dir.path() / "TELV" / "maps" / "M";
    test::writeFile(map / "global.cfg", "");
    test::writeFile(map / "ailists.cfg", "");
    test::writeFile(map / "a.map", "x\\a.sco\r\ny\\b.sli\r\n");
    test::writeFile(map / "b.map", "1\r\nx\\a.sco\n" + std::string(70000, 'x') + "\nx\\late.sco\n");
    test::writeFile(map / "c.map", "x\\c.sco\n");
    WindowState state;
    test::RecordingUi ui;
    NoMapsFolderStore store;
    EXPECT_THROW(runAnalysis(map.string(), state, ui, store), OutOfResources);
    EXPECT_EQ(usesOf(state, "x\\a.sco"), (Uses{{"a.map", 1}, {"b.map", 2}}));
    EXPECT_EQ(usesOf(state, "y\\b.sli"), (Uses{{"a.map", 2}}));
    EXPECT_EQ(usesOf(state, "x\\late.sco"), Uses{});
    EXPECT_EQ(usesOf(state, "x\\c.sco"), Uses{});
}

TEST(WhereUsed, LeavingOutThePresentKeepsEveryUseOfTheMissing)
{
    // Sixty tiles name the same present and missing objects, each tile in an order of its own:
    // the missing test marks the present ones found while the readers read the later tiles,
    // whose uses of them are then left out. The missing ones' uses stay exactly as kept in full.
    test::TempDir dir;
    const fs::path map = dir.path() / "TELV" / "maps" / "M";
    test::writeFile(map / "global.cfg", "");
    test::writeFile(map / "ailists.cfg", "");
    std::vector<std::string> texts;
    for (int i = 0; i < 300; ++i) {
        texts.push_back("p\\" + std::to_string(i) + ".sco");
        test::writeFile(dir.path() / "TELV" / "p" / (std::to_string(i) + ".sco"), "");
        texts.push_back("m\\" + std::to_string(i) + ".sco");
    }
    std::mt19937 random(5);
    for (int t = 0; t < 60; ++t) {
        std::shuffle(texts.begin(), texts.end(), random);
        std::string file;
        for (const std::string& text : texts) {
            file += "[object]\r\n" + text + "\r\n";
        }
        test::writeFile(map / ("t" + std::to_string(100 + t) + ".map"), file);
    }
    const auto missingUses = [&](bool keptOfPresent) {
        WindowState state;
        state.whereUsed.keepOfPresent(keptOfPresent);
        test::RecordingUi ui;
        NoMapsFolderStore store;
        EXPECT_EQ(runAnalysis(map.string(), state, ui, store), RunEnd::Completed);
        std::vector<Uses> uses;
        for (const std::string& entry : state.missingObjects) {
            uses.push_back(usesOf(state, entry));
            EXPECT_EQ(uses.back().size(), 60U) << entry;
        }
        EXPECT_EQ(state.missingObjects.size(), 300U);
        return uses;
    };
    EXPECT_EQ(missingUses(false), missingUses(true));
}

TEST(WhereUsed, AnswersAsAPlainRecordOnTilesOfManyReferencesFarApart)
{
    // Reference i is "o\\i.sco". a.map holds all of them, three lines apart, so that lines take
    // three bytes; b.map every seventh, backwards and each twice; c.map a few, thousands
    // apart, and the first and the last, numbered furthest apart.
    constexpr std::size_t kCount = 30000;
    const auto textOf = [](std::size_t i) { return "o\\" + std::to_string(i) + ".sco"; };
    std::vector<std::vector<std::size_t>> tiles(3);
    for (std::size_t i = 0; i < kCount; ++i) {
        tiles[0].push_back(i);
    }
    for (std::size_t i = kCount; i-- > 0;) {
        if (i % 7 == 3) {
            tiles[1].insert(tiles[1].end(), {i, i});
        }
    }
    for (std::size_t i = 997; i < kCount / 3; i += 4999) {
        tiles[2].push_back(i);
    }
    tiles[2].insert(tiles[2].end(), {0, kCount - 1});

    test::TempDir dir;
    const fs::path map = dir.path() / "TELV" / "maps" / "M";
    test::writeFile(map / "global.cfg", "");
    test::writeFile(map / "ailists.cfg", "");
    std::map<std::string, std::vector<TileUse>> model;  // each text's tiles and first lines
    for (std::size_t tile = 0; tile < tiles.size(); ++tile) {
        std::string file;
        std::size_t line = 0;
        for (const std::size_t i : tiles[tile]) {
            file += "1\n" + std::string(tile == 0 ? "2\n" : "") + textOf(i) + "\n";
            line += tile == 0 ? 3 : 2;
            std::vector<TileUse>& uses = model[textOf(i)];
            if (uses.empty() || uses.back().tile != tile) {
                uses.push_back(TileUse{tile, line});
            }
        }
        test::writeFile(map / (std::string(1, static_cast<char>('a' + tile)) + ".map"), file);
    }
    // d.map, UTF-8 without a CR or LF, breaks its lines with U+2028 only: the quick pass
    // cannot be sure of its line lengths and leaves it to the line-by-line way, whose
    // references are not numbered by the readers' record. Some of them a.map has too, the
    // others only d.map.
    std::string separated = "\xEF\xBB\xBF";
    for (std::size_t k = 0; k < 100; ++k) {
        const std::string text = k % 2 == 0 ? textOf(k * 13) : "o\\d" + std::to_string(k) + ".sco";
        separated += text + "\xE2\x80\xA8" + std::string(800, 'x') + "\xE2\x80\xA8";
        model[text].push_back(TileUse{3, 2 * k + 1});
    }
    test::writeFile(map / "d.map", separated);

    // One reader numbers the references in the tiles' order, a.map's first.
    const test::ScopedEnvironment readers("GANTREL_READERS", "1");
    WindowState state;
    test::RecordingUi ui;
    NoMapsFolderStore store;
    ASSERT_EQ(runAnalysis(map.string(), state, ui, store), RunEnd::Completed);
    ASSERT_EQ(state.objects.size(), kCount + 50);
    // In one batch and in batches of a few hundred uses; the record is large enough for the
    // look-ups to share the tiles between two threads.
    for (const std::size_t usesAtATime : {std::size_t{1} << 20, std::size_t{500}}) {
        std::size_t visited = 0;
        state.whereUsed.forEachUses(
            state.objects,
            [&](std::size_t i, std::span<const TileUse> uses) {
                EXPECT_EQ(i, visited++);
                EXPECT_EQ(std::vector<TileUse>(uses.begin(), uses.end()),
                          model.at(state.objects[i]))
                    << state.objects[i];
            },
            usesAtATime);
        EXPECT_EQ(visited, state.objects.size());
    }
    for (const std::string& text :
         {textOf(0), textOf(997), textOf(kCount - 1), textOf(13 * 98), std::string("o\\d99.sco")}) {
        EXPECT_EQ(whereUsed(state, text), model.at(text)) << text;
    }
}

}  // namespace
}  // namespace gantrel
