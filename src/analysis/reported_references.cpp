// SPDX-License-Identifier: MIT
#include "analysis/reported_references.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace gantrel {
namespace {

template <class T>
T loadAcquire(T& value)
{
    return std::atomic_ref<T>(value).load(std::memory_order_acquire);
}

template <class T>
T loadRelaxed(T& value)
{
    return std::atomic_ref<T>(value).load(std::memory_order_relaxed);
}

// Before each text: its length and its id.
constexpr std::size_t kHeader = 2 * sizeof(std::uint32_t);
constexpr std::size_t kLine = 64;

}  // namespace

std::size_t ReportedReferences::slotsWithin(std::size_t limit)
{
    std::size_t slots = 64;
    while (2 * slots * sizeof(Slot) <= limit / 4) {
        slots *= 2;
    }
    return slots;
}

ReportedReferences::ReportedReferences(std::size_t limit)
{
    const std::size_t slots = slotsWithin(limit);
    m_mask = slots - 1;
    m_slots.reset(static_cast<Slot*>(std::calloc(slots, sizeof(Slot))));
    // Places among the texts are 32-bit numbers.
    m_textRoom = std::clamp(limit - std::min(limit, slots * sizeof(Slot)), std::size_t{1} << 12,
                            std::size_t{UINT32_MAX});
    m_texts.reset(static_cast<char*>(std::malloc(m_textRoom)));
    if (!m_slots || !m_texts) {
        throw std::bad_alloc();
    }
}

ReportedReferences::~ReportedReferences() = default;

ReportedReferences::Slot* ReportedReferences::find(std::string_view text, std::uint64_t hash) const
{
    const std::uint64_t key = hash | 1;
    for (std::size_t i = key & m_mask;; i = (i + 1) & m_mask) {
        Slot& slot = m_slots[i];
        const std::uint64_t found = loadAcquire(slot.key);
        if (found == 0) {
            return nullptr;
        }
        if (found == key) {
            // Published before the key: the text is complete once the key is seen.
            const char* stored = m_texts.get() + loadRelaxed(slot.where);
            std::uint32_t length = 0;
            std::memcpy(&length, stored, sizeof length);
            if (length == text.size() && std::memcmp(stored + kHeader, text.data(), length) == 0) {
                return &slot;
            }
        }
    }
}

std::uint32_t ReportedReferences::idOf(const Slot& slot) const
{
    std::uint32_t id = 0;
    std::memcpy(&id, m_texts.get() + loadRelaxed(slot.where) + sizeof(std::uint32_t), sizeof id);
    return id;
}

bool ReportedReferences::reportedBy(std::string_view text, std::uint64_t hash,
                                    std::size_t tile) const
{
    std::uint32_t id = kNoId;
    return reportedBy(text, hash, tile, id);
}

bool ReportedReferences::reportedBy(std::string_view text, std::uint64_t hash, std::size_t tile,
                                    std::uint32_t& id) const
{
    const Slot* slot = find(text, hash);
    id = slot != nullptr ? idOf(*slot) : kNoId;
    return slot != nullptr && loadRelaxed(slot->tile) <= tile;
}

bool ReportedReferences::report(std::string_view text, std::uint64_t hash, std::size_t tile)
{
    std::uint32_t id = kNoId;
    return report(text, hash, tile, id);
}

bool ReportedReferences::report(std::string_view text, std::uint64_t hash, std::size_t tile,
                                std::uint32_t& id)
{
    const auto tileNumber = static_cast<std::uint32_t>(tile);
    const std::lock_guard lock(m_recording);
    id = kNoId;
    if (Slot* slot = find(text, hash)) {
        id = idOf(*slot);
        // An earlier tile reports it after a later one did: the earlier counts from now on.
        std::atomic_ref<std::uint32_t> first(slot->tile);
        if (first.load(std::memory_order_relaxed) <= tileNumber) {
            return false;
        }
        first.store(tileNumber, std::memory_order_relaxed);
        return true;
    }
    const std::size_t bytes = kHeader + text.size();
    // A text that fits in a cache line is kept within one: its look-up then misses once.
    std::size_t at = m_textUsed;
    const std::size_t inLine = (reinterpret_cast<std::uintptr_t>(m_texts.get()) + at) % kLine;
    if (bytes <= kLine && inLine + bytes > kLine) {
        at += kLine - inLine;
    }
    if (2 * (m_count + 1) > m_mask + 1 || m_textRoom < at || m_textRoom - at < bytes) {
        m_full.store(true, std::memory_order_relaxed);
        return true;
    }
    const auto length = static_cast<std::uint32_t>(text.size());
    id = static_cast<std::uint32_t>(m_count);
    m_textUsed = at;
    std::memcpy(m_texts.get() + m_textUsed, &length, sizeof length);
    std::memcpy(m_texts.get() + m_textUsed + sizeof length, &id, sizeof id);
    std::memcpy(m_texts.get() + m_textUsed + kHeader, text.data(), text.size());
    const std::uint64_t key = hash | 1;
    std::size_t i = key & m_mask;
    while (loadRelaxed(m_slots[i].key) != 0) {
        i = (i + 1) & m_mask;
    }
    Slot& slot = m_slots[i];
    std::atomic_ref<std::uint32_t>(slot.where)
        .store(static_cast<std::uint32_t>(m_textUsed), std::memory_order_relaxed);
    std::atomic_ref<std::uint32_t>(slot.tile).store(tileNumber, std::memory_order_relaxed);
    std::atomic_ref<std::uint64_t>(slot.key).store(key, std::memory_order_release);
    m_textUsed += bytes;
    ++m_count;
    return true;
}

void ReportedReferences::prefetchText(std::uint64_t hash) const
{
    Slot& slot = m_slots[slotOf(hash)];
    if (loadRelaxed(slot.key) != 0) {
        __builtin_prefetch(m_texts.get() + loadRelaxed(slot.where));
    }
}

}  // namespace gantrel
