// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/varint.h"

namespace gantrel {

/// A reference of a tile by its number, with the first line of the tile that holds it.
struct NumberedUse {
    std::uint32_t id;
    std::uint32_t line;  // counted from 0
};

/// One tile's distinct references in ascending order of their numbers: their lines, each in
/// as few bytes as the tile's largest needs, so that any one is read directly; then their
/// numbers, each as its distance from the one before in a varint. A tile's numbers are dense
/// among all (most distances fit a byte), its lines are not, and a look-up reads every number
/// but only the lines of the references it finds. Made by the reader that read the tile, where
/// its uses are still in the nearest caches, and kept as it is by the where-used record.
class UseBlock {
public:
    /// The uses, in ascending order of their numbers, each number once.
    void assign(std::span<const NumberedUse> ordered);
    /// The uses whose numbers are set in `ids`, a bit for each number n (bit n % 64 of word
    /// n / 64), no bit in the words before `first`, the first line of n being lines[n]: `count`
    /// bits are set and no line is above `highestLine`. No rank of a use need be counted: the
    /// numbers come in order as the set's bits are read.
    void assign(std::span<const std::uint64_t> ids, std::size_t first,
                std::span<const std::uint32_t> lines, std::uint32_t count,
                std::uint32_t highestLine);

    std::uint32_t count() const { return m_count; }
    /// Bytes held.
    std::size_t size() const { return m_bytes.size(); }

    /// The first line of reference i, counted from 0.
    std::uint32_t lineAt(std::uint32_t i) const
    {
        const unsigned char* at = m_bytes.data() + std::size_t{i} * m_lineWidth;
        std::uint32_t line = 0;
        for (std::uint8_t b = 0; b < m_lineWidth; ++b) {
            line |= std::uint32_t{at[b]} << (8 * b);
        }
        return line;
    }

    /// Calls visit(id) for every number in order.
    template <class Visit>
    void forEachId(Visit visit) const
    {
        const unsigned char* ids = m_bytes.data() + std::size_t{m_count} * m_lineWidth;
        std::uint32_t id = 0;
        for (std::uint32_t i = 0; i < m_count; ++i) {
            id += static_cast<std::uint32_t>(readVarint(ids));
            visit(id);
        }
    }

    /// Calls visit(index, id) for every reference whose number `wanted` contains, a set small
    /// enough to stay in the nearest cache, up to its highest(): looking up one text reads
    /// about half of each tile. The numbers found are gathered a run at a time and handed over
    /// after it, with no branch on whether each is wanted: that is as good as random, and
    /// without the branch's mispredictions a pass takes about a fifth less.
    template <class Wanted, class Visit>
    void scan(const Wanted& wanted, Visit visit) const
    {
        constexpr std::uint32_t kRun = 64;
        std::uint64_t hits[kRun];  // index << 32 | id
        const unsigned char* ids = m_bytes.data() + std::size_t{m_count} * m_lineWidth;
        const std::uint32_t highest = wanted.highest();
        std::uint32_t id = 0;
        for (std::uint32_t begin = 0; begin < m_count; begin += kRun) {
            const std::uint32_t end = std::min(m_count, begin + kRun);
            std::uint32_t found = 0;
            bool past = false;
            for (std::uint32_t i = begin; i < end; ++i) {
                id += static_cast<std::uint32_t>(readVarint(ids));
                if (id > highest) {
                    past = true;
                    break;
                }
                hits[found] = std::uint64_t{i} << 32 | id;
                found += wanted.contains(id) ? 1 : 0;
            }
            for (std::uint32_t k = 0; k < found; ++k) {
                visit(static_cast<std::uint32_t>(hits[k] >> 32),
                      static_cast<std::uint32_t>(hits[k]));
            }
            if (past) {
                return;
            }
        }
    }

private:
    // Makes the block of `count` uses, no line above `highestLine`, from forEach(put), which
    // calls put(id, line) for each in ascending order of the numbers.
    template <class ForEach>
    void build(std::uint32_t count, std::uint32_t highestLine, ForEach forEach);

    std::vector<unsigned char> m_bytes;  // made at its size, never grown
    std::uint32_t m_count = 0;
    std::uint8_t m_lineWidth = 1;
};

}  // namespace gantrel
