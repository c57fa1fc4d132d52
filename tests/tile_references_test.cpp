// SPDX-License-Identifier: MIT
#include "analysis/tile_references.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "analysis/text_hash.h"

namespace gantrel {
namespace {

using Uses = std::vector<std::pair<std::uint32_t, std::uint32_t>>;  // id, first line

Uses usesOf(TileReferences& tile)
{
    Uses uses;
    const UseBlock& block = tile.uses();
    block.forEachId([&](std::uint32_t id) {
        uses.emplace_back(id, block.lineAt(static_cast<std::uint32_t>(uses.size())));
    });
    return uses;
}

// Another reader's earlier tile may report a reference after this tile listed it and before
// it drops the later occurrences: the use keeps the listed, first line, not a dropped one.
// Occurrences added in place are looked up some later, and the listed one is looked up again
// only at the end, after the later ones were dropped.
TEST(TileReferences, UsesKeepTheFirstLineAlsoOfAReferenceAnEarlierTileReportsMeanwhile)
{
    for (const bool inPlace : {false, true}) {
        ReportedReferences reported;
        const auto report = [&](std::string_view text, std::size_t tile) {
            std::uint32_t id = ReportedReferences::kNoId;
            reported.report(text, hashText(text), tile, id);
            return id;
        };
        const std::string_view early = "objects\\early.sco";
        const std::string_view late = "splines\\late.sli";
        const std::uint32_t earlyId = report(early, 0);
        TileReferences tile;
        tile.clear(reported, 1);
        const auto add = [&](ReferenceKind kind, std::string_view text, std::size_t line) {
            if (inPlace) {
                tile.addInPlace(kind, text, line);
            } else {
                tile.add(kind, text, line);
            }
        };
        std::size_t line = 3;
        add(ReferenceKind::Spline, late, line++);
        // Enough occurrences for the tile to check what it holds against the record once.
        for (int i = 0; i < 5000; ++i) {
            add(ReferenceKind::Object, early, line++);
        }
        tile.endPiece();
        const std::uint32_t lateId = report(late, 0);
        for (int i = 0; i < 5000; ++i) {
            add(ReferenceKind::Spline, late, line++);
        }
        tile.finish();

        EXPECT_EQ(tile.size(), 0U) << inPlace;
        EXPECT_EQ(usesOf(tile), (Uses{{earlyId, 4}, {lateId, 3}})) << inPlace;
    }
}

// Occurrences added in place wait to be looked up, those added by copy are not: mixed, and
// with pieces ended anywhere, they list and use what the same occurrences added by copy do,
// in the order of their first occurrences. The texts added in place lie in a piece that is
// overwritten when it ends.
TEST(TileReferences, InPlaceAndCopiedOccurrencesListWhatCopiesAloneList)
{
    std::vector<std::string> texts;
    for (int i = 0; i < 40; ++i) {
        texts.push_back("objects\\pack" + std::to_string(i % 7) + "\\item" + std::to_string(i) +
                        ".sco");
    }
    using Listed = std::vector<std::pair<std::string, std::uint32_t>>;  // text, first line
    const auto run = [&](bool mixed) {
        ReportedReferences reported;
        for (std::size_t i = 0; i < texts.size(); i += 3) {
            std::uint32_t id = ReportedReferences::kNoId;
            reported.report(texts[i], hashText(texts[i]), 0, id);
        }
        TileReferences tile;
        tile.clear(reported, 1);
        std::mt19937 random(11);
        std::string piece;
        piece.reserve(std::size_t{1} << 17);  // never moved: more than 3,000 texts
        for (std::size_t line = 0; line < 3000; ++line) {
            const std::string& text = texts[random() % texts.size()];
            const auto way = random() % 8;
            if (mixed && way < 5) {
                piece += text;
                tile.addInPlace(ReferenceKind::Object,
                                std::string_view(piece).substr(piece.size() - text.size()), line);
            } else {
                tile.add(ReferenceKind::Object, text, line);
            }
            if (mixed && way == 7) {
                tile.endPiece();
                piece.assign(piece.size(), 'x');
                piece.clear();
            }
        }
        tile.finish();
        Listed listed;
        for (std::size_t i = 0; i < tile.size(); ++i) {
            listed.emplace_back(std::string(tile.text(i)), tile[i].line);
        }
        return std::pair{listed, usesOf(tile)};
    };
    const auto copied = run(false);
    EXPECT_EQ(copied.first.size(), 26U);  // the texts the record does not hold
    EXPECT_EQ(copied.second.size(), 40U);
    EXPECT_EQ(run(true), copied);
}

// Where only the missing references' uses are asked for, the uses of the ids found present
// are left out, of references left out of the list and of listed ones; the others are kept.
TEST(TileReferences, UsesOfIdsFoundPresentAreLeftOutWhenAsked)
{
    std::vector<std::string> texts;
    for (int i = 0; i < 6; ++i) {
        texts.push_back("objects\\item" + std::to_string(i) + ".sco");
    }
    FoundPresent found(ReportedReferences::idsWithin(std::size_t{1} << 16));
    for (const std::uint32_t id : {1U, 2U, 5U, ReportedReferences::kNoId}) {
        found.mark(id);
    }
    const auto run = [&](const FoundPresent* leaveOut) {
        // The first four reported by an earlier tile (ids 0 to 3); the last two are new,
        // listed and numbered 4 and 5 in the order they first occur.
        ReportedReferences reported;
        for (int i = 0; i < 4; ++i) {
            reported.report(texts[i], hashText(texts[i]), 0);
        }
        TileReferences tile;
        tile.keepUses(true, leaveOut);
        tile.clear(reported, 1);
        for (std::size_t line = 0; line < 3 * texts.size(); ++line) {
            tile.addInPlace(ReferenceKind::Object, texts[line % texts.size()], line);
        }
        tile.finish();
        EXPECT_EQ(tile.size(), 2U);
        return usesOf(tile);
    };
    EXPECT_EQ(run(nullptr), (Uses{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}}));
    EXPECT_EQ(run(&found), (Uses{{0, 0}, {3, 3}, {4, 4}}));
}

}  // namespace
}  // namespace gantrel
