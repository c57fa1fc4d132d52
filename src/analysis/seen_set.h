// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gantrel {

/// A set of texts under their hashes. Readers meet millions of reference occurrences against a
/// set of some hundred thousand texts: the set is kept dense (a slot of 16 bytes, each text
/// once in one arena) so that it stays in the shared cache, and a lookup's two reads, the slot
/// and the text, can be fetched ahead of time (prefetchSlot, then prefetchText). One thread at
/// a time: the readers' shared record (ReportedReferences) is read without a lock while written.
class TextSet {
public:
    /// Adds the text, whose hash is given; true when the set did not hold it yet.
    bool insert(std::string_view text, std::uint64_t hash);
    /// True when the set holds the text, whose hash is given.
    bool contains(std::string_view text, std::uint64_t hash) const;
    /// Starts fetching the slot where a lookup of the hash begins; a hint, it changes nothing.
    void prefetchSlot(std::uint64_t hash) const
    {
        if (!m_slots.empty()) {
            __builtin_prefetch(&m_slots[hash & (m_slots.size() - 1)]);
        }
    }
    /// Starts fetching the text that the slot of the hash names, best after prefetchSlot().
    void prefetchText(std::uint64_t hash) const
    {
        if (!m_slots.empty()) {
            const Slot& slot = m_slots[hash & (m_slots.size() - 1)];
            if (slot.where != 0) {
                __builtin_prefetch(m_texts.data() + slot.where - 1);
            }
        }
    }
    std::size_t size() const { return m_size; }

private:
    struct Slot {
        std::uint64_t hash;
        std::size_t where;  // the text's place in m_texts + 1; 0 marks a free slot
    };

    bool holds(const Slot& slot, std::string_view text) const;

    std::vector<Slot> m_slots;
    std::string m_texts;  // each text as its length (4 bytes) and its bytes
    std::size_t m_size = 0;
};

/// A seen-set over one result list: membership is exact, case-sensitive equality of the 8-bit
/// text, and every text that is new is appended to the list. Entries that the list held before
/// the set was made are not members. The list is the only copy of the texts: a slot names its
/// entry by number (8 bytes a slot, at most three in four of them used), so that a map of millions
/// of references does not hold each text twice.
class SeenSet {
public:
    explicit SeenSet(std::vector<std::string>& list) : m_list(list), m_first(list.size()) {}

    /// Appends the text to the list and returns true when the set did not hold it yet.
    bool addIfNew(std::string_view text, std::uint64_t hash);
    /// Starts fetching what addIfNew() of the hash will read.
    void prefetch(std::uint64_t hash) const
    {
        if (!m_slots.empty()) {
            __builtin_prefetch(&m_slots[hash & (m_slots.size() - 1)]);
        }
    }
    /// The number of entries this set has added.
    std::size_t added() const { return m_list.size() - m_first; }

private:
    struct Slot {
        std::uint32_t hash;   // the hash's low half: it picks the slot and skips most others
        std::uint32_t entry;  // the entry's number among those added + 1; 0 marks a free slot
    };

    std::vector<std::string>& m_list;
    std::size_t m_first;
    std::vector<Slot> m_slots;
};

}  // namespace gantrel
