// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
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
/// What the readers hold stays within a fixed budget, whatever the number of readers: the
/// tiles read ahead of the scan share one part of it (a tile larger than that part is read only
/// once the scan waits for it, alone), the one record of the references the readers have
/// reported the other. A tile that cannot be opened never blocks a reader, so an error ends the
/// scan as soon as the scan reaches that tile.
class TilePipeline {
public:
    struct Tile {
        std::vector<char> file;  // the whole file, mark included
        TileReferences references;
        std::exception_ptr error;  // the tile could not be read: what loading it raised
    };

    /// Bytes of tile files that the readers may hold ahead of the scan.
    static constexpr std::size_t kTileBudget = std::size_t{16} << 20;
    /// Bytes that the readers' record of reported references may hold.
    static constexpr std::size_t kReportedBudget = std::size_t{48} << 20;

    /// Starts a worker per core, at most 8, or GANTREL_READERS when that environment variable
    /// holds a number from 1 to 64; never more than there are tiles. The tiles keep their
    /// uses (lines and references left out) only when `keepUses` is set.
    explicit TilePipeline(const std::vector<std::string>& tiles, bool keepUses = true);
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
        std::size_t turn = 0;      // the tile that may use this slot next
        bool ready = false;        // that tile has been read and classified
        std::size_t reserved = 0;  // bytes of the tile budget it holds until taken
    };

    void work();
    void load(std::size_t index, Slot& slot);
    bool reserve(std::size_t index, Slot& slot, std::uint64_t size);

    const std::vector<std::string>& m_tiles;
    bool m_keepUses;
    std::vector<Slot> m_slots;
    std::atomic<std::size_t> m_next{0};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stop = false;
    std::size_t m_reserved = 0;      // bytes the tiles read ahead hold
    std::size_t m_reservedUpTo = 0;  // tiles below this one have reserved their bytes
    std::size_t m_taken = 0;         // tiles below this one have been taken by the scan
    ReportedReferences m_reported{kReportedBudget};
    std::vector<std::jthread> m_workers;
};

}  // namespace gantrel
