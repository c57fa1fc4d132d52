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
    // Two lanes of eight bytes each a step, so that the multiply of one word need not wait for
    // that of the word before, then a strong final mix: references are short paths, hashed on
    // every tile they occur in.
    const char* const p = text.data();
    const std::size_t n = text.size();
    const auto word = [p](std::size_t at) {
        std::uint64_t w;
        std::memcpy(&w, p + at, sizeof w);
        return w;
    };
    constexpr std::uint64_t kA = 0xFF51AFD7ED558CCDULL;
    constexpr std::uint64_t kB = 0xC4CEB9FE1A85EC53ULL;
    std::uint64_t a = 0x9E3779B97F4A7C15ULL ^ n;
    std::uint64_t b = 0x2545F4914F6CDD1DULL;
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        a = (a ^ word(i)) * kA;
        a ^= a >> 32;
        b = (b ^ word(i + 8)) * kB;
        b ^= b >> 29;
    }
    if (i < n) {
        // The last bytes, in words that overlap those before; shorter texts byte by byte.
        std::uint64_t last = 0;
        std::uint64_t before = 0;
        if (n >= 8) {
            last = word(n - 8);
            before = n >= 16 ? word(n - 16) : word(0);
        } else {
            for (; i < n; ++i) {
                last = (last << 8) | static_cast<unsigned char>(p[i]);
            }
        }
        a = (a ^ before) * kA;
        b = (b ^ last) * kB;
    }
    std::uint64_t h = a ^ ((b << 31) | (b >> 33));
    h ^= h >> 33;
    h *= kA;
    h ^= h >> 33;
    h *= kB;
    return h ^ (h >> 33);
}

}  // namespace gantrel
