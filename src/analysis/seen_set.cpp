// SPDX-License-Identifier: MIT
#include "analysis/seen_set.h"

#include <algorithm>
#include <cstring>

#include "analysis/open_table.h"

namespace gantrel {

bool TextSet::holds(const Slot& slot, std::string_view text) const
{
    const char* stored = m_texts.data() + slot.where - 1;
    std::uint32_t length = 0;
    std::memcpy(&length, stored, sizeof length);
    return length == text.size() && std::memcmp(stored + sizeof length, text.data(), length) == 0;
}

bool TextSet::contains(std::string_view text, std::uint64_t hash) const
{
    if (!m_slots.empty()) {
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask; m_slots[i].where != 0; i = (i + 1) & mask) {
            if (m_slots[i].hash == hash && holds(m_slots[i], text)) {
                return true;
            }
        }
    }
    return false;
}

bool TextSet::insert(std::string_view text, std::uint64_t hash)
{
    if (contains(text, hash)) {
        return false;
    }
    if (2 * (m_size + 1) > m_slots.size()) {
        growTable(m_slots, &Slot::where);
    }
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = hash & mask;
    while (m_slots[i].where != 0) {
        i = (i + 1) & mask;
    }
    m_slots[i] = Slot{hash, m_texts.size() + 1};
    // A line is shorter than 2 GiB, so its length fits.
    const auto length = static_cast<std::uint32_t>(text.size());
    m_texts.append(reinterpret_cast<const char*>(&length), sizeof length);
    m_texts.append(text);
    ++m_size;
    return true;
}

bool SeenSet::addIfNew(std::string_view text, std::uint64_t hash)
{
    const auto low = static_cast<std::uint32_t>(hash);
    std::size_t mask = m_slots.size() - 1;
    std::size_t i = low & mask;
    if (!m_slots.empty()) {
        for (; m_slots[i].entry != 0; i = (i + 1) & mask) {
            if (m_slots[i].hash == low && m_list[m_first + m_slots[i].entry - 1] == text) {
                return false;
            }
        }
    }
    // Entries are numbered in 32 bits and slots picked by 32 bits of the hash: a list of
    // billions of texts would not fit in memory anyway. Up to three slots in four are used:
    // most lookups find their text, which a slot's hash has told apart from the others.
    const std::size_t added = this->added();
    if (4 * (added + 1) > 3 * m_slots.size()) {
        growTable(m_slots, &Slot::entry);
        mask = m_slots.size() - 1;
        for (i = low & mask; m_slots[i].entry != 0; i = (i + 1) & mask) {
        }
    }
    m_slots[i] = Slot{low, static_cast<std::uint32_t>(added + 1)};
    // The list grows by half rather than doubling: on a large map it is the largest thing the
    // scan holds, and its unused room is on average half as large.
    if (m_list.size() == m_list.capacity()) {
        m_list.reserve(std::max<std::size_t>(64, m_list.capacity() + m_list.capacity() / 2));
    }
    m_list.emplace_back(text);
    return true;
}

}  // namespace gantrel
