// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>

namespace gantrel {

/// The set bits of a word, in a few instructions: the baseline x86-64 has no popcount, and the
/// library's fallback is a call per word. In a function that targets POPCNT the compiler makes
/// it that one instruction.
inline std::size_t countBits(std::uint64_t x)
{
    x -= (x >> 1) & 0x5555555555555555ULL;
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return static_cast<std::size_t>((x * 0x0101010101010101ULL) >> 56);
}

}  // namespace gantrel
