// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "analysis/tile_classifier.h"

namespace gantrel {

/// Reads and classifies the tiles of a scan on worker threads, a few tiles ahead of the scan,
/// and hands them to the scan strictly in the tile list's order.
///
/// What the readers hold stays within a fixed budget, whatever the number of readers and the
/// size of the tiles: each reader reads its tile through a window of its own, the tiles ahead
/// of the scan hold only their references, and the one record of the references the readers
/// have reported is bounded. A tile that cannot be opened never blocks a reader, so an error
/// ends the scan as soon as the scan reaches that tile.
class TilePipeline {
public:
    struct Tile {
        TileReferences references;
        std::exception_ptr error;  // the tile could not be read: what loading it raised
    };

    /// Bytes that the readers' record of reported references may hold.
    static constexpr std::size_t kReportedBudget = std::size_t{48} << 20;
    /// The ids that record gives at most.
    static std::size_t reportedIds() { return ReportedReferences::idsWithin(kReportedBudget); }

    /// Starts a worker per core, at most 8, or GANTREL_READERS when that environment variable
    /// holds a number from 1 to 64; never more than there are tiles. The tiles keep their
    /// uses (lines and references left out) only when `keepUses` is set, and not those of the
    /// ids that `leaveOut` has marked.
    explicit TilePipeline(const std::vector<std::string>& tiles, bool keepUses = true,
                          const FoundPresent* leaveOut = nullptr);
    /// Stops the workers and waits for them, also when the scan ended with an error.
    ~TilePipeline();
    TilePipeline(const TilePipeline&) = delete;
    TilePipeline& operator=(const TilePipeline&) = delete;

    /// Waits for tile `index`; tiles are taken in ascending order, each once.
    Tile& take(std::size_t index);
    /// Hands the tile's slot back for a later tile; its buffers are reused.
    void release(std::size_t index);

private:
    struct Slot {
        Tile tile;
        std::size_t turn = 0;  // the tile that may use this slot next
        bool ready = false;    // that tile has been read and classified
    };

    void work();
    void load(std::size_t index, Slot& slot, std::vector<char>& window);

    const std::vector<std::string>& m_tiles;
    bool m_keepUses;
    const FoundPresent* m_leaveOut;
    std::vector<Slot> m_slots;
    std::atomic<std::size_t> m_next{0};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stop = false;
    ReportedReferences m_reported{kReportedBudget};
    std::vector<std::jthread> m_workers;
};

}  // namespace gantrel
