// SPDX-License-Identifier: MIT
#pragma once
// The line-by-line model: every line of a tile taken in turn, exactly as the line store would
// hand it out. The fast path falls back to it where lines may be too long to fetch.

#include <cstddef>
#include <span>
#include <string>

#include "analysis/tile_references.h"

namespace gantrel {

/// How far a piece of a tile's text took its classification.
enum class PieceEnd {
    Continues,  // the piece ended; the text may go on after it
    TextEnded,  // a NUL ended the text: nothing after it counts
    GaveUp,     // a line is too long (the model), or may be (the fast path)
};

/// Adds the references of a piece of the text after a UTF-16 mark: whole lines, starting where
/// a line starts. `lines` counts the lines before the piece and is moved past those in it.
/// Stops at the first line too long, which `out.tooLongLine` then names.
PieceEnd classifyUtf16(std::span<const char> text, bool bigEndian, TileReferences& out,
                       std::size_t& lines);
/// The same for 8-bit text of a single-byte code page, or UTF-8 text after its mark.
PieceEnd classifyBytes(std::span<const char> text, bool utf8, TileReferences& out,
                       std::size_t& lines);
/// The same for a whole text already decoded to UTF-16.
void classifyDecoded(const std::u16string& units, TileReferences& out);

}  // namespace gantrel
