// SPDX-License-Identifier: MIT
#pragma once

// The Where Used dialog's table of the tiles that use one entry, and its text for the
// clipboard. Each window shows the rows in its own table control.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "analysis/where_used.h"
#include "analysis/window_state.h"

namespace gantrel::window {

inline constexpr char kWhereUsedTitle[] = "Where Used";
/// The table's column captions: the tile's file name and the first line that holds the entry.
inline constexpr std::array<const char*, 2> kWhereUsedColumns{"Tile", "Line"};

/// One tile that uses the entry.
struct WhereUsedRow {
    std::string tile;      // the full path, for opening it
    std::string fileName;  // the tile's file name, as the table shows it
    std::size_t line;      // counted from 1
};

/// The rows for the uses of an entry in the state's tile list, in the order of `uses`.
std::vector<WhereUsedRow> whereUsedRows(const WindowState& state, const std::vector<TileUse>& uses);

/// The table as text, in the order of `rows` (as the table shows them): the column captions,
/// then one line a row, the cells separated by a tab; every line ending in CR LF.
std::string whereUsedText(const std::vector<WhereUsedRow>& rows);

}  // namespace gantrel::window
