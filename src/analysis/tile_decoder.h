// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace gantrel {

/// How a tile file's text is encoded; a leading byte-order mark decides, afresh for every file.
enum class TileEncoding { EightBit, Utf16LittleEndian, Utf16BigEndian, Utf8 };

struct EncodingMark {
    TileEncoding encoding;
    std::size_t length;  // bytes of the mark, stepped over before decoding
};

/// FF FE, then FE FF, then EF BB BF; anything else (every shorter file included) is 8-bit text.
EncodingMark detectEncoding(std::span<const char> file);

/// The largest part of a file after its mark that a tile may have: just under 2 GiB.
inline constexpr std::size_t kMaxTileText = (std::size_t{1} << 31) - 1;

/// Decodes the bytes after the mark to UTF-16. UTF-16 takes code units as they stand (an odd
/// last byte ignored, unpaired surrogates kept); UTF-8 is decoded by the standard, a four-byte
/// sequence giving a surrogate pair and each malformed sequence U+FFFD; 8-bit text goes
/// through the tile code page.
std::u16string decodeTileText(std::span<const char> text, TileEncoding encoding);

/// Standard UTF-8 decoding of one piece of text, malformed sequences as U+FFFD (maximal
/// subparts, as the Unicode standard recommends).
std::u16string decodeUtf8(std::span<const char> text);

/// True when the bytes are well-formed UTF-8: decodeUtf8 would replace nothing.
bool isWellFormedUtf8(std::span<const char> text);

/// The store's content for decoded text: cut at the first U+0000, then every CR LF, lone CR,
/// lone LF and U+2028 made one CR LF.
std::u16string unifyLineBreaks(std::u16string_view text);

}  // namespace gantrel
