// SPDX-License-Identifier: MIT
#pragma once
// What the line-by-line model and the fast path share about a line that may be a reference.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "analysis/line_store.h"

namespace gantrel {

inline constexpr std::size_t kMaxLine = LineStore::kMaxFetchableLine;

inline bool isAscii(std::string_view bytes)
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

// A reference line that is not plain ASCII, as the program's 8-bit string, into `out`.
void narrowBytes(std::string_view bytes, bool utf8, std::string& out);

inline std::uint32_t word(const char* p)
{
    std::uint32_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

inline const std::uint32_t kObjectTail = word(".sco");
inline const std::uint32_t kSplineTail = word(".sli");

}  // namespace gantrel
