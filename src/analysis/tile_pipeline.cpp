// SPDX-License-Identifier: MIT
#include "analysis/tile_pipeline.h"

#include <algorithm>

#include "analysis/line_store.h"

namespace gantrel {

TilePipeline::TilePipeline(const std::vector<std::string>& tiles) : m_tiles(tiles)
{
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t workers = std::min({cores, std::size_t{8}, tiles.size()});
    m_slots.resize(2 * workers);
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        m_slots[i].turn = i;
    }
    for (std::size_t i = 0; i < workers; ++i) {
        m_workers.emplace_back([this] { work(); });
    }
}

TilePipeline::~TilePipeline()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
}

void TilePipeline::work()
{
    // This worker's tiles come in ascending order, so what it reported on one of them need not
    // be reported again on a later one.
    ReportedReferences reported;
    while (true) {
        const std::size_t index = m_next.fetch_add(1);
        if (index >= m_tiles.size()) {
            return;
        }
        Slot& slot = m_slots[index % m_slots.size()];
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stop || slot.turn == index; });
            if (m_stop) {
                return;
            }
        }
        load(index, slot.tile, reported);
        {
            const std::lock_guard lock(m_mutex);
            slot.ready = true;
        }
        m_changed.notify_all();
    }
}

void TilePipeline::load(std::size_t index, Tile& tile, ReportedReferences& reported) const
{
    tile.error = nullptr;
    tile.references.clear(reported);
    try {
        readTileFile(m_tiles[index], tile.file);
        classifyTile(tile.file, tile.references, reported);
    } catch (...) {
        tile.error = std::current_exception();
    }
}

TilePipeline::Tile& TilePipeline::take(std::size_t index)
{
    Slot& slot = m_slots[index % m_slots.size()];
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return slot.turn == index && slot.ready; });
    return slot.tile;
}

void TilePipeline::release(std::size_t index)
{
    Slot& slot = m_slots[index % m_slots.size()];
    {
        const std::lock_guard lock(m_mutex);
        slot.ready = false;
        slot.turn = index + m_slots.size();
    }
    m_changed.notify_all();
}

}  // namespace gantrel
