// SPDX-License-Identifier: MIT
#include "analysis/tile_pipeline.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string_view>

#include "analysis/line_store.h"
#include "platform/platform.h"

namespace gantrel {
namespace {

// The benchmark and the tests set the number of readers; a program run takes one per core.
std::size_t readerCount()
{
    if (const char* text = std::getenv("GANTREL_READERS")) {
        const std::string_view value = text;
        std::size_t readers = 0;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), readers);
        if (error == std::errc() && end == value.data() + value.size() && readers >= 1 &&
            readers <= 64) {
            return readers;
        }
    }
    return std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), 8);
}

}  // namespace

TilePipeline::TilePipeline(const std::vector<std::string>& tiles, bool keepUses,
                           const FoundPresent* leaveOut)
    : m_tiles(tiles), m_keepUses(keepUses), m_leaveOut(leaveOut)
{
    const std::size_t workers = std::min(readerCount(), tiles.size());
    m_slots.resize(2 * workers);
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        m_slots[i].turn = i;
    }
    platform::shareAllocatorArenas();
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
    std::vector<char> window;  // the reader's window on its tile, reused from tile to tile
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
        load(index, slot, window);
        {
            const std::lock_guard lock(m_mutex);
            if (m_stop) {
                return;
            }
            slot.ready = true;
        }
        m_changed.notify_all();
    }
}

void TilePipeline::load(std::size_t index, Slot& slot, std::vector<char>& window)
{
    Tile& tile = slot.tile;
    tile.error = nullptr;
    tile.references.keepUses(m_keepUses, m_leaveOut);
    tile.references.clear(m_reported, index);
    try {
        platform::TileFile file(m_tiles[index]);
        refuseTooLargeTile(file);
        const TileRead read = [&file](std::uint64_t offset, char* into, std::size_t room) {
            return file.readAt(offset, into, room);
        };
        if (!classifyTile(read, tile.references, m_reported, index, window)) {
            throwTileTooLarge(file);
        }
    } catch (...) {
        tile.error = std::current_exception();
    }
}

TilePipeline::Tile& TilePipeline::take(std::size_t index)
{
    Slot& slot = m_slots[index % m_slots.size()];
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return slot.turn == index && slot.ready; });
    }
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
