// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string_view>

namespace gantrel {

/// The references the readers of a scan have reported, each with the first tile (in the tile
/// list's order) that reported it. A reader may leave a reference out of a tile when a tile up
/// to that one has reported it: the scan, which takes the tiles in order, meets it there first.
/// This keeps the scan's in-order merge down to a handful of occurrences of each reference
/// instead of one per tile, with one record for all readers, however many there are.
///
/// Readers look references up without locking, while another records one; recording is
/// rare, as only a reference new to the record is recorded. The record holds at most about
/// `limit` bytes, decided when it is made: once full it records nothing more, and references
/// it lacks are reported again on every tile, which costs only repeated occurrences that the
/// scan's seen-sets drop.
///
/// Each recorded text has an id, counted from 0 in the order of recording, so that a reader can
/// name the references it leaves out with a number. Not a TextSet: that one may be read by one
/// thread only, and grows; this one is read by all readers while one writes, in a fixed budget.
class ReportedReferences {
public:
    /// The id of a text the record does not hold.
    static constexpr std::uint32_t kNoId = UINT32_MAX;

    explicit ReportedReferences(std::size_t limit = std::size_t{1} << 16);
    /// How many ids a record of at most `limit` bytes gives at most.
    static std::size_t idsWithin(std::size_t limit) { return slotsWithin(limit) / 2; }
    ~ReportedReferences();
    ReportedReferences(const ReportedReferences&) = delete;
    ReportedReferences& operator=(const ReportedReferences&) = delete;

    /// True when tile `tile` or an earlier one has reported the text.
    bool reportedBy(std::string_view text, std::uint64_t hash, std::size_t tile) const;
    /// The same, and sets `id` to the text's id, or kNoId when the record does not hold it.
    bool reportedBy(std::string_view text, std::uint64_t hash, std::size_t tile,
                    std::uint32_t& id) const;
    /// Records that tile `tile` reports the text and returns true, unless the text has been
    /// reported by that tile or an earlier one: then it returns false and changes nothing.
    bool report(std::string_view text, std::uint64_t hash, std::size_t tile);
    /// The same, and sets `id` to the text's id, or kNoId when the record is full.
    bool report(std::string_view text, std::uint64_t hash, std::size_t tile, std::uint32_t& id);
    /// True once the record takes no new references.
    bool full() const { return m_full.load(std::memory_order_relaxed); }

    /// Start fetching what a lookup of the hash will read: the slot first, later the text.
    void prefetchSlot(std::uint64_t hash) const { __builtin_prefetch(&m_slots[slotOf(hash)]); }
    void prefetchText(std::uint64_t hash) const;

private:
    struct Slot {
        std::uint64_t key;    // the hash with its lowest bit set; 0 marks a free slot
        std::uint32_t where;  // the text's place among the texts
        std::uint32_t tile;   // the first tile that reported it
    };
    struct Free {
        void operator()(void* memory) const { std::free(memory); }
    };

    // A quarter of the limit for the slots, kept at most half full; the rest for the texts.
    static std::size_t slotsWithin(std::size_t limit);
    std::size_t slotOf(std::uint64_t hash) const { return (hash | 1) & m_mask; }
    Slot* find(std::string_view text, std::uint64_t hash) const;
    std::uint32_t idOf(const Slot& slot) const;

    std::size_t m_mask;
    std::unique_ptr<Slot[], Free> m_slots;  // zeroed by the system, touched only where used
    // Each text as its length (4 bytes), its id (4 bytes) and its bytes.
    std::unique_ptr<char[], Free> m_texts;
    std::size_t m_textRoom;
    std::size_t m_textUsed = 0;
    std::size_t m_count = 0;
    std::atomic<bool> m_full{false};
    std::mutex m_recording;
};

}  // namespace gantrel
