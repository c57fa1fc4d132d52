// SPDX-License-Identifier: MIT
#include "analysis/tile_references.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace gantrel
