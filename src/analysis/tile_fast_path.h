// SPDX-License-Identifier: MIT
#pragma once
// The fast path: only the lines that can be references are looked at.

#include <cstddef>
#include <span>

#include "analysis/tile_lines.h"
#include "analysis/tile_references.h"

namespace gantrel {

/// Adds the references of a piece of the text after a UTF-16 mark: whole lines, starting where
/// a line starts. `lines` counts the lines before the piece and is moved past those in it.
/// Gives up, having added nothing that counts, when a line may be too long to fetch: the
/// line-by-line model decides then.
PieceEnd findUtf16References(std::span<const char> text, bool bigEndian, TileReferences& out,
                             std::size_t& lines);
/// The same for 8-bit text of a single-byte code page, or UTF-8 text after its mark.
PieceEnd findByteReferences(std::span<const char> text, bool utf8, TileReferences& out,
                            std::size_t& lines);

}  // namespace gantrel
