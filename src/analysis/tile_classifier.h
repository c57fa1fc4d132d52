// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <span>

#include "analysis/reported_references.h"
#include "analysis/text_hash.h"
#include "analysis/tile_references.h"

namespace gantrel {

/// Classifies every line of a tile file (the whole file, mark included): a line whose last four
/// UTF-16 code units are exactly ".sco" is an object reference, ".sli" a spline reference; the
/// lines are those the line store yields for the same bytes. Stops at the first line that is too
/// long to fetch. Works on the raw bytes; only reference lines are converted. References that
/// `reported` holds from tile `tile` (the tile's place in the scan) or an earlier one are left
/// out; the others are recorded there for this tile. Tiles classified one after the other may
/// all pass the same number.
void classifyTile(std::span<const char> file, TileReferences& out, ReportedReferences& reported,
                  std::size_t tile = 0);

/// The same for a tile on its own: every reference of the tile is listed once.
void classifyTile(std::span<const char> file, TileReferences& out);

}  // namespace gantrel
