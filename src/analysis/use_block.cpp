// SPDX-License-Identifier: MIT
#include "analysis/use_block.h"

#include <array>
#include <bit>
#include <cstring>
#include <memory>

namespace gantrel {

template <class ForEach>
void UseBlock::build(std::uint32_t count, std::uint32_t highestLine, ForEach forEach)
{
    m_count = count;
    m_lineWidth = 1;
    while (m_lineWidth < 4 && highestLine >> (8 * m_lineWidth) != 0) {
        ++m_lineWidth;
    }
    // Lines and numbers written apart, each line in four bytes of which the next one overwrites
    // those past the width, the numbers at the most they may take; then joined at their size in
    // a new vector: the block is handed on with its tile.
    const std::size_t lineBytes = std::size_t{count} * m_lineWidth;
    const auto lines = std::make_unique_for_overwrite<unsigned char[]>(lineBytes + 4);
    const auto ids = std::make_unique_for_overwrite<unsigned char[]>(count * kMaxVarintSize32);
    unsigned char* line = lines.get();
    unsigned char* at = ids.get();
    std::uint32_t previous = 0;
    forEach([&](std::uint32_t id, std::uint32_t first) {
        const std::array<unsigned char, 4> bytes{
            static_cast<unsigned char>(first), static_cast<unsigned char>(first >> 8),
            static_cast<unsigned char>(first >> 16), static_cast<unsigned char>(first >> 24)};
        std::memcpy(line, bytes.data(), bytes.size());
        line += m_lineWidth;
        at = writeVarint(at, id - previous);
        previous = id;
    });
    m_bytes = std::vector<unsigned char>(lineBytes + static_cast<std::size_t>(at - ids.get()));
    std::memcpy(m_bytes.data(), lines.get(), lineBytes);
    std::memcpy(m_bytes.data() + lineBytes, ids.get(), static_cast<std::size_t>(at - ids.get()));
}

void UseBlock::assign(std::span<const NumberedUse> ordered)
{
    std::uint32_t highestLine = 0;
    for (const NumberedUse& use : ordered) {
        highestLine = std::max(highestLine, use.line);
    }
    build(static_cast<std::uint32_t>(ordered.size()), highestLine, [&](auto put) {
        for (const NumberedUse& use : ordered) {
            put(use.id, use.line);
        }
    });
}

void UseBlock::assign(std::span<const std::uint64_t> ids, std::size_t first,
                      std::span<const std::uint32_t> lines, std::uint32_t count,
                      std::uint32_t highestLine)
{
    build(count, highestLine, [&](auto put) {
        for (std::size_t w = first; w < ids.size(); ++w) {
            for (std::uint64_t bits = ids[w]; bits != 0; bits &= bits - 1) {
                const auto id = static_cast<std::uint32_t>(w * 64 + std::countr_zero(bits));
                put(id, lines[id]);
            }
        }
    });
}

}  // namespace gantrel
