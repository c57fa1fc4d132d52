// SPDX-License-Identifier: MIT
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace gantrel::platform {

/// How many of the eight bytes at `p` are ASCII before the first that is not, 8 when all are:
/// text that is mostly ASCII is stepped through eight bytes at a time.
inline std::size_t asciiPrefix(const char* p)
{
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    const std::uint64_t high = word & 0x8080808080808080ULL;
    if (high == 0) {
        return sizeof word;
    }
    const int before = std::endian::native == std::endian::little ? std::countr_zero(high)
                                                                  : std::countl_zero(high);
    return static_cast<std::size_t>(before) / 8;
}

}  // namespace gantrel::platform
