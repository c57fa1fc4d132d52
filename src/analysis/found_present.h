// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace gantrel {

/// The ids of the readers' record (ReportedReferences) whose references the missing test has
/// found on disk, a bit each: the test's thread sets them while the readers read them, so that
/// a reader can leave out the uses of references that are not missing where only those of the
/// missing ones are asked for. A bit is only ever set, never cleared; a reader that reads it a
/// moment too early keeps a use that is not asked for, nothing worse.
class FoundPresent {
public:
    /// Room for the ids below `ids`; marks of later ids are dropped.
    explicit FoundPresent(std::size_t ids)
        : m_words(std::make_unique<std::atomic<std::uint64_t>[]>(ids / 64 + 1)), m_ids(ids)
    {
    }

    void mark(std::uint32_t id)
    {
        if (id < m_ids) {
            m_words[id / 64].fetch_or(std::uint64_t{1} << (id % 64), std::memory_order_relaxed);
        }
    }
    bool has(std::uint32_t id) const
    {
        return id < m_ids &&
               (m_words[id / 64].load(std::memory_order_relaxed) >> (id % 64) & 1) != 0;
    }

private:
    std::unique_ptr<std::atomic<std::uint64_t>[]> m_words;  // zeroed by make_unique
    std::size_t m_ids;
};

}  // namespace gantrel
