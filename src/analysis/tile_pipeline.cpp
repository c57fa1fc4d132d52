// SPDX-License-Identifier: MIT
#include "analysis/tile_pipeline.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <utility>

#include "analysis/line_store.h"
#include "analysis/tile_decoder.h"
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

TilePipeline::TilePipeline(const std::vector<std::string>& tiles, bool keepUses)
    : m_tiles(tiles), m_keepUses(keepUses)
{
    const std::size_t workers = std::min(readerCount(), tiles.size());
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
        load(index, slot);
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

void TilePipeline::load(std::size_t index, Slot& slot)
{
    Tile& tile = slot.tile;
    tile.error = nullptr;
    tile.references.keepUses(m_keepUses);
    tile.references.clear(m_reported, index);
    std::optional<platform::TileFile> file;
    try {
        file.emplace(m_tiles[index]);
    } catch (...) {
        tile.error = std::current_exception();
    }
    if (!reserve(index, slot, file ? file->size() : 0) || tile.error) {
        return;
    }
    try {
        readTileFile(*file, tile.file);
        classifyTile(tile.file, tile.references, m_reported, index);
    } catch (...) {
        tile.error = std::current_exception();
    }
}

bool TilePipeline::reserve(std::size_t index, Slot& slot, std::uint64_t size)
{
    // Tiles reserve in the list's order, so a tile too large for the budget waits only for
    // the tiles before it: once the scan waits for it, nothing else is held ahead.
    const std::size_t bytes =
        std::max(slot.tile.file.capacity(),
                 static_cast<std::size_t>(std::min<std::uint64_t>(size, kMaxTileText + 4)));
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] {
        return m_stop ||
               (m_reservedUpTo == index && (index == m_taken || m_reserved + bytes <= kTileBudget));
    });
    if (m_stop) {
        return false;
    }
    m_reserved += bytes;
    slot.reserved = bytes;
    ++m_reservedUpTo;
    lock.unlock();
    m_changed.notify_all();
    return true;
}

TilePipeline::Tile& TilePipeline::take(std::size_t index)
{
    Slot& slot = m_slots[index % m_slots.size()];
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return slot.turn == index && slot.ready; });
        // From here on the tile is the scan's own, no longer read ahead.
        m_reserved -= std::exchange(slot.reserved, 0);
        m_taken = index + 1;
    }
    m_changed.notify_all();
    return slot.tile;
}

void TilePipeline::release(std::size_t index)
{
    Slot& slot = m_slots[index % m_slots.size()];
    // A large buffer is not kept for later tiles: it would hold its memory outside the budget.
    if (slot.tile.file.capacity() > kTileBudget / m_slots.size()) {
        std::vector<char>().swap(slot.tile.file);
    }
    {
        const std::lock_guard lock(m_mutex);
        slot.ready = false;
        slot.turn = index + m_slots.size();
    }
    m_changed.notify_all();
}

}  // namespace gantrel
