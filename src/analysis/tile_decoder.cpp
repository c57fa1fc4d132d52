// SPDX-License-Identifier: MIT
#include "analysis/tile_decoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/ascii_prefix.h"
#include "platform/platform.h"

namespace gantrel {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr char16_t kLineSeparator = 0x2028;

unsigned byteAt(std::span<const char> text, std::size_t i)
{
    return static_cast<unsigned char>(text[i]);
}

std::u16string decodeUtf16(std::span<const char> text, bool bigEndian)
{
    std::u16string units(text.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        const unsigned first = byteAt(text, 2 * i);
        const unsigned second = byteAt(text, 2 * i + 1);
        units[i] = static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return units;
}

}  // namespace

EncodingMark detectEncoding(std::span<const char> file)
{
    const auto starts = [&](std::initializer_list<unsigned> mark) {
        return file.size() >= mark.size() &&
               std::equal(mark.begin(), mark.end(), file.begin(),
                          [](unsigned m, char c) { return m == static_cast<unsigned char>(c); });
    };
    if (starts({0xFF, 0xFE})) {
        return {TileEncoding::Utf16LittleEndian, 2};
    }
    if (starts({0xFE, 0xFF})) {
        return {TileEncoding::Utf16BigEndian, 2};
    }
    if (starts({0xEF, 0xBB, 0xBF})) {
        return {TileEncoding::Utf8, 3};
    }
    return {TileEncoding::EightBit, 0};
}

std::u16string decodeUtf8(std::span<const char> text)
{
    std::u16string out;
    out.reserve(text.size());
    const std::size_t n = text.size();
    const auto continuation = [&](std::size_t i, unsigned low = 0x80, unsigned high = 0xBF) {
        return i < n && byteAt(text, i) >= low && byteAt(text, i) <= high;
    };
    std::size_t i = 0;
    while (i < n) {
        const unsigned b0 = byteAt(text, i);
        if (b0 < 0x80) {
            out += static_cast<char16_t>(b0);
            ++i;
        } else if (b0 >= 0xC2 && b0 <= 0xDF) {
            if (continuation(i + 1)) {
                out += static_cast<char16_t>(((b0 & 0x1F) << 6) | (byteAt(text, i + 1) & 0x3F));
                i += 2;
            } else {
                out += kReplacement;
                ++i;
            }
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            // E0 needs A0..BF (no overlong forms), ED needs 80..9F (no encoded surrogates).
            const unsigned low = b0 == 0xE0 ? 0xA0 : 0x80;
            const unsigned high = b0 == 0xED ? 0x9F : 0xBF;
            if (!continuation(i + 1, low, high)) {
                out += kReplacement;
                ++i;
            } else if (!continuation(i + 2)) {
                out += kReplacement;
                i += 2;
            } else {
                out += static_cast<char16_t>(((b0 & 0x0F) << 12) |
                                             ((byteAt(text, i + 1) & 0x3F) << 6) |
                                             (byteAt(text, i + 2) & 0x3F));
                i += 3;
            }
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            const unsigned low = b0 == 0xF0 ? 0x90 : 0x80;
            const unsigned high = b0 == 0xF4 ? 0x8F : 0xBF;
            if (!continuation(i + 1, low, high)) {
                out += kReplacement;
                ++i;
            } else if (!continuation(i + 2)) {
                out += kReplacement;
                i += 2;
            } else if (!continuation(i + 3)) {
                out += kReplacement;
                i += 3;
            } else {
                const char32_t code = ((b0 & 0x07) << 18) | ((byteAt(text, i + 1) & 0x3F) << 12) |
                                      ((byteAt(text, i + 2) & 0x3F) << 6) |
                                      (byteAt(text, i + 3) & 0x3F);
                out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
                out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
                i += 4;
            }
        } else {
            out += kReplacement;
            ++i;
        }
    }
    return out;
}

bool isWellFormedUtf8(std::span<const char> text)
{
    const std::size_t n = text.size();
    const auto continuation = [&](std::size_t i, unsigned low = 0x80, unsigned high = 0xBF) {
        return i < n && byteAt(text, i) >= low && byteAt(text, i) <= high;
    };
    for (std::size_t i = 0; i < n;) {
        // Eight bytes at a time, and the ASCII ones before another: a reference line that is
        // checked mostly holds one or two other letters.
        if (i + sizeof(std::uint64_t) <= n) {
            const std::size_t ascii = platform::asciiPrefix(text.data() + i);
            i += ascii;
            if (ascii == sizeof(std::uint64_t)) {
                continue;
            }
        }
        const unsigned b0 = byteAt(text, i);
        if (b0 < 0x80) {
            ++i;
        } else if (b0 >= 0xC2 && b0 <= 0xDF && continuation(i + 1)) {
            i += 2;
        } else if (b0 >= 0xE0 && b0 <= 0xEF &&
                   continuation(i + 1, b0 == 0xE0 ? 0xA0 : 0x80, b0 == 0xED ? 0x9F : 0xBF) &&
                   continuation(i + 2)) {
            i += 3;
        } else if (b0 >= 0xF0 && b0 <= 0xF4 &&
                   continuation(i + 1, b0 == 0xF0 ? 0x90 : 0x80, b0 == 0xF4 ? 0x8F : 0xBF) &&
                   continuation(i + 2) && continuation(i + 3)) {
            i += 4;
        } else {
            return false;
        }
    }
    return true;
}

std::u16string decodeTileText(std::span<const char> text, TileEncoding encoding)
{
    switch (encoding) {
        case TileEncoding::Utf16LittleEndian:
            return decodeUtf16(text, false);
        case TileEncoding::Utf16BigEndian:
            return decodeUtf16(text, true);
        case TileEncoding::Utf8:
            return decodeUtf8(text);
        case TileEncoding::EightBit:
            break;
    }
    return platform::codePageToUtf16(std::string_view(text.data(), text.size()));
}

std::u16string unifyLineBreaks(std::u16string_view text)
{
    text = text.substr(0, std::min(text.find(u'\0'), text.size()));
    // Measure first, then fill a buffer of exactly that length.
    std::size_t length = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit == u'\r') {
            length += 2;
            if (i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
        } else if (unit == u'\n' || unit == kLineSeparator) {
            length += 2;
        } else {
            ++length;
        }
    }
    std::u16string out(length, u'\0');
    std::size_t o = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit == u'\r' || unit == u'\n' || unit == kLineSeparator) {
            out[o++] = u'\r';
            out[o++] = u'\n';
            if (unit == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
        } else {
            out[o++] = unit;
        }
    }
    return out;
}

}  // namespace gantrel
