// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace gantrel {

/// The hash the seen-sets use for a reference's 8-bit text. Inline: it runs for every
/// reference occurrence, in the readers' innermost loop.
inline std::uint64_t hashText(std::string_view text)
{
    // Eight bytes a step with a strong final mix: references are short paths, hashed twice
    // each (text and folder) on every tile they occur in.
    std::uint64_t h = 0x9E3779B97F4A7C15ULL ^ text.size();
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, text.data() + i, sizeof w);
        h = (h ^ w) * 0xFF51AFD7ED558CCDULL;
        h ^= h >> 32;
    }
    if (i < text.size()) {
        // The last eight bytes, overlapping the words before; shorter texts byte by byte.
        std::uint64_t w = 0;
        if (text.size() >= 8) {
            std::memcpy(&w, text.data() + text.size() - 8, sizeof w);
        } else {
            for (; i < text.size(); ++i) {
                w = (w << 8) | static_cast<unsigned char>(text[i]);
            }
        }
        h = (h ^ w) * 0xFF51AFD7ED558CCDULL;
    }
    h ^= h >> 29;
    h *= 0xC4CEB9FE1A85EC53ULL;
    return h ^ (h >> 32);
}

}  // namespace gantrel
