// SPDX-License-Identifier: MIT
#pragma once
// The line-by-line model: every line of a tile taken in turn, exactly as the line store would
// hand it out. The fast path falls back to it where lines may be too long to fetch.

#include <span>
#include <string>

#include "analysis/tile_references.h"

namespace gantrel {

/// Adds the references of the text after a UTF-16 mark; stops at the first line too long.
void classifyUtf16(std::span<const char> text, bool bigEndian, TileReferences& out);
/// The same for 8-bit text of a single-byte code page, or UTF-8 text after its mark.
void classifyBytes(std::span<const char> text, bool utf8, TileReferences& out);
/// The same for text already decoded to UTF-16.
void classifyDecoded(const std::u16string& units, TileReferences& out);

}  // namespace gantrel
