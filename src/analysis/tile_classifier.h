// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "analysis/reported_references.h"
#include "analysis/text_hash.h"
#include "analysis/tile_references.h"

namespace gantrel {

/// Where a tile file's bytes come from: reads up to `room` bytes from `offset` into `into` and
/// returns how many were read, fewer only at the end of the file.
using TileRead = std::function<std::size_t(std::uint64_t offset, char* into, std::size_t room)>;

/// Bytes of a tile file read at a time.
inline constexpr std::size_t kTileWindow = std::size_t{256} << 10;

/// Classifies every line of a tile file: a line whose last four UTF-16 code units are exactly
/// ".sco" is an object reference, ".sli" a spline reference; the lines are those the line store
/// yields for the same bytes. Stops at the first line that is too long to fetch. Works on the
/// raw bytes; only reference lines are converted. References that `reported` holds from tile
/// `tile` (the tile's place in the scan) or an earlier one are left out; the others are recorded
/// there for this tile. Tiles classified one after the other may all pass the same number.
///
/// The file is read `window` bytes at a time into `buffer` (its capacity reused), which then
/// holds at most a window and the longest line that may still be fetched (and up to 66 bytes
/// that align the reads), whatever the size of the file; reading ends at the first NUL, after which
/// nothing counts. (A code page of several bytes a character is converted whole.) Returns false,
/// having recorded nothing, when the text after the mark turns out to be 2 GiB or larger.
bool classifyTile(const TileRead& read, TileReferences& out, ReportedReferences& reported,
                  std::size_t tile, std::vector<char>& buffer, std::size_t window = kTileWindow);

/// The same for a whole tile file in memory (mark included).
void classifyTile(std::span<const char> file, TileReferences& out, ReportedReferences& reported,
                  std::size_t tile = 0, std::size_t window = kTileWindow);

/// The same for a tile on its own: every reference of the tile is listed once.
void classifyTile(std::span<const char> file, TileReferences& out,
                  std::size_t window = kTileWindow);

}  // namespace gantrel
