// SPDX-License-Identifier: MIT
#pragma once
// The fast path: only the lines that can be references are looked at.

#include <span>

#include "analysis/tile_references.h"

namespace gantrel {

/// Adds the references of the text after a UTF-16 mark. Returns false, having added nothing
/// that counts, when a line may be too long to fetch: the line-by-line model decides then.
bool findUtf16References(std::span<const char> text, bool bigEndian, TileReferences& out);
/// The same for 8-bit text of a single-byte code page, or UTF-8 text after its mark.
bool findByteReferences(std::span<const char> text, bool utf8, TileReferences& out);

}  // namespace gantrel
