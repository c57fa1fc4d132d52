// SPDX-License-Identifier: MIT
#include "window/where_used_table.h"

#include <algorithm>

#include "platform/platform.h"
#include "window/window_design.h"

namespace gantrel::window {

std::vector<WhereUsedRow> whereUsedRows(const WindowState& state, const std::vector<TileUse>& uses)
{
    std::vector<WhereUsedRow> rows;
    rows.reserve(uses.size());
    for (const TileUse& use : uses) {
        const std::string& tile = state.tiles.at(use.tile);
        const auto nameStart =
            std::find_if(tile.rbegin(), tile.rend(), platform::isSeparator).base();
        rows.push_back({tile, std::string(nameStart, tile.end()), use.line});
    }
    return rows;
}

std::string whereUsedText(const std::vector<WhereUsedRow>& rows)
{
    std::vector<std::string> lines{std::string(kWhereUsedColumns[0]) + '\t' + kWhereUsedColumns[1]};
    for (const WhereUsedRow& row : rows) {
        lines.push_back(row.fileName + '\t' + std::to_string(row.line));
    }
    return clipboardText(lines);
}

}  // namespace gantrel::window
