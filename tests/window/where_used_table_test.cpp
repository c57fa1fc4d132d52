// SPDX-License-Identifier: MIT
#include "window/where_used_table.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace gantrel::window {
namespace {

TEST(WhereUsedTableTest, RowsNameTheTileFileAndTheTextFollowsTheShownOrder)
{
    WindowState state;
    const std::string map = test::joinPath(test::joinPath("maps", "D\xC3\xA9mo"), "");
    state.tiles = {map + "tile_0_0.map", map + "tile_1_0.map", map + "tile_2_0.map"};

    std::vector<WhereUsedRow> rows = whereUsedRows(state, {{0, 3}, {2, 12}});
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_EQ(rows[0].tile, state.tiles[0]);
    EXPECT_EQ(rows[0].fileName, "tile_0_0.map");
    EXPECT_EQ(rows[1].fileName, "tile_2_0.map");
    EXPECT_EQ(rows[1].line, 12U);

    std::swap(rows[0], rows[1]);
    EXPECT_EQ(whereUsedText(rows), "Tile\tLine\r\ntile_2_0.map\t12\r\ntile_0_0.map\t3\r\n");
    EXPECT_EQ(whereUsedText({}), "Tile\tLine\r\n");
}

}  // namespace
}  // namespace gantrel::window
