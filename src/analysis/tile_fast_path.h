// SPDX-License-Identifier: MIT
#pragma once
// The fast path: only the lines that can be references are looked at.

#include <cstddef>
#include <cstdint>
#include <span>

#include "analysis/tile_lines.h"
#include "analysis/tile_references.h"

namespace gantrel {

/// The vector instructions the fast path steps through the text with, narrowest first: the
/// portable ones (SSE2 on x86-64, none elsewhere), AVX2, and AVX-512 with its byte operations.
/// Every set finds exactly the same.
enum class VectorSet : std::uint8_t { Portable, Avx2, Avx512 };

/// The widest set that this processor runs and the fast path was built for here.
VectorSet widestVectorSet();
/// Has the fast path use `set` from now on, or the widest set when that is narrower. At the
/// start it uses the widest set, or the narrower one that the environment variable
/// GANTREL_VECTORS names ("portable", "avx2" or "avx512").
void useVectorSet(VectorSet set);
VectorSet vectorSetInUse();

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
