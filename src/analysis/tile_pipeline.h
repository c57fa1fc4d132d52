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
/// and hands them to the scan strictly in the tile list's order. At most two tiles per worker
/// are held at once, so memory stays bounded by a few of the largest tiles.
class TilePipeline {
public:
    struct Tile {
        std::vector<char> file;  // the whole file, mark included
        TileReferences references;
        std::exception_ptr error;  // the tile could not be read: what loading it raised
    };

    explicit TilePipeline(const std::vector<std::string>& tiles);
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
    void load(std::size_t index, Tile& tile, ReportedReferences& reported) const;

    const std::vector<std::string>& m_tiles;
    std::vector<Slot> m_slots;
    std::atomic<std::size_t> m_next{0};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stop = false;
    std::vector<std::jthread> m_workers;
};

}  // namespace gantrel
