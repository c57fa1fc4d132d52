// SPDX-License-Identifier: MIT
#pragma once
// Numbers written seven bits a byte, low bits first, the top bit set on every byte but the
// last: the small numbers that the records packing them mostly hold take one byte each.

#include <cstddef>
#include <cstdint>

namespace gantrel {

/// The most bytes a number takes.
inline constexpr std::size_t kMaxVarintSize = 10;
/// The most bytes a 32-bit number takes.
inline constexpr std::size_t kMaxVarintSize32 = 5;

/// Writes the number at `at` and returns where the next one goes.
inline unsigned char* writeVarint(unsigned char* at, std::uint64_t value)
{
    for (; value >= 0x80; value >>= 7) {
        *at++ = static_cast<unsigned char>(value | 0x80);
    }
    *at++ = static_cast<unsigned char>(value);
    return at;
}

/// Reads a number that writeVarint() wrote and moves `at` past it.
inline std::uint64_t readVarint(const unsigned char*& at)
{
    std::uint64_t value = *at++;
    if (value < 0x80) {
        return value;
    }
    value &= 0x7F;
    for (unsigned shift = 7;; shift += 7) {
        const std::uint64_t byte = *at++;
        value |= (byte & 0x7F) << shift;
        if (byte < 0x80) {
            return value;
        }
    }
}

}  // namespace gantrel
