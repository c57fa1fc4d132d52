// SPDX-License-Identifier: MIT
#include "analysis/use_block.h"

namespace gantrel {

void UseBlock::assign(std::span<const NumberedUse> ordered)
{
    std::size_t idBytes = 0;
    std::uint32_t highestLine = 0;
    std::uint32_t previous = 0;
    for (const NumberedUse& use : ordered) {
        idBytes += varintSize(use.id - previous);
        previous = use.id;
        highestLine = std::max(highestLine, use.line);
    }
    m_count = static_cast<std::uint32_t>(ordered.size());
    m_lineWidth = 1;
    while (m_lineWidth < 4 && highestLine >> (8 * m_lineWidth) != 0) {
        ++m_lineWidth;
    }
    // A new vector, not the old one refilled: the block is handed on with its tile.
    m_bytes = std::vector<unsigned char>(std::size_t{m_count} * m_lineWidth + idBytes);
    unsigned char* line = m_bytes.data();
    unsigned char* at = m_bytes.data() + std::size_t{m_count} * m_lineWidth;
    previous = 0;
    for (const NumberedUse& use : ordered) {
        for (std::uint8_t b = 0; b < m_lineWidth; ++b) {
            *line++ = static_cast<unsigned char>(use.line >> (8 * b));
        }
        at = writeVarint(at, use.id - previous);
        previous = use.id;
    }
}

}  // namespace gantrel
