#include "analysis/seen_set.h"

#include <algorithm>

namespace gantrel {

void HashIndex::clear()
{
    std::fill(m_slots.begin(), m_slots.end(), Slot{0, 0});
    m_size = 0;
}

void HashIndex::insert(std::uint64_t hash, std::size_t position)
{
    if (2 * (m_size + 1) > m_slots.size()) {
        grow();
    }
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = hash & mask;
    while (m_slots[i].position != 0) {
        i = (i + 1) & mask;
    }
    m_slots[i] = Slot{hash, position + 1};
    ++m_size;
}

void HashIndex::grow()
{
    std::vector<Slot> old(std::max<std::size_t>(64, 2 * m_slots.size()), Slot{0, 0});
    old.swap(m_slots);
    const std::size_t mask = m_slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.position != 0) {
            std::size_t i = slot.hash & mask;
            while (m_slots[i].position != 0) {
                i = (i + 1) & mask;
            }
            m_slots[i] = slot;
        }
    }
}

bool SeenSet::addIfNew(std::string_view text, std::uint64_t hash)
{
    const auto matches = [&](std::size_t position) { return m_list[m_first + position] == text; };
    if (m_index.find(hash, matches) >= 0) {
        return false;
    }
    m_index.insert(hash, m_list.size() - m_first);
    m_list.emplace_back(text);
    return true;
}

}  // namespace gantrel
