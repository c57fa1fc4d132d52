// SPDX-License-Identifier: MIT
#include "analysis/reference_line.h"

#include <span>

#include "analysis/tile_decoder.h"
#include "platform/platform.h"

namespace gantrel {

bool isAscii(std::string_view bytes)
{
    std::size_t i = 0;
    std::uint64_t high = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, sizeof word);
        high |= word;
    }
    for (; i < bytes.size(); ++i) {
        high |= static_cast<unsigned char>(bytes[i]);
    }
    return (high & 0x8080808080808080ULL) == 0;
}

std::string narrowBytes(std::string_view bytes, bool utf8)
{
    if (!utf8) {
        return platform::codePageToNarrow(bytes);
    }
    const std::span<const char> text(bytes.data(), bytes.size());
    return isWellFormedUtf8(text) ? platform::utf8ToNarrow(bytes)
                                  : platform::utf16ToNarrow(decodeUtf8(text));
}

}  // namespace gantrel
