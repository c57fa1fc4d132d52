// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gantrel {

class TileReferences;
struct WindowState;

/// One tile that uses a reference.
struct TileUse {
    std::size_t tile;  // index into WindowState::tiles (tile-list order)
    std::size_t line;  // first line of that tile holding the entry, counted from 1
    bool operator==(const TileUse&) const = default;
};

/// Where the references of a run are used: for every tile scanned, its distinct references,
/// each with the first line that holds it. References are matched exactly, case-sensitively,
/// as the seen-sets match them; the extension tells objects from splines, so one text is never
/// both. Held compactly: a few bytes a reference and tile.
class WhereUsedRecord {
public:
    WhereUsedRecord();
    ~WhereUsedRecord();
    WhereUsedRecord(const WhereUsedRecord& other);
    WhereUsedRecord& operator=(const WhereUsedRecord& other);

    /// Whether tiles are recorded at all (the default): a program that never asks where a
    /// reference is used saves the memory. Kept by clear().
    void keep(bool kept) { m_kept = kept; }
    bool kept() const { return m_kept; }
    /// Whether the uses of references found on disk are kept too (the default). Without, the
    /// uses of a reference that is not missing may lack some tiles, or give a later line than
    /// its first: for a program that asks only where the missing ones are used. Kept by clear().
    void keepOfPresent(bool kept) { m_keptOfPresent = kept; }
    bool keptOfPresent() const { return m_keptOfPresent; }
    /// Forgets every tile recorded.
    void clear();
    /// Records, when kept, the references of the next tile of the tile list, as the scan takes
    /// it from its readers: those listed by text, the others by the ids the readers' record
    /// gave them, which a tile recorded earlier since clear() has listed (or this one). A scan
    /// starts from a cleared record: the ids of another scan's readers name other texts. Takes
    /// over the tile's uses.
    void addTile(TileReferences& references);
    /// The number of tiles recorded.
    std::size_t tiles() const;

    /// The tiles that use the text, in tile-list order, with the first line of each.
    std::vector<TileUse> usesOf(std::string_view text) const;
    /// usesOf() for many texts at once, far cheaper than one by one: calls visit(i, uses) for
    /// every texts[i] in order. The uses handed over are valid only during the call. The texts
    /// are looked up in batches of at most `usesAtATime` uses (or one text, when it alone has
    /// more), a pass over the record each, which bounds the memory held.
    void forEachUses(std::span<const std::string> texts,
                     const std::function<void(std::size_t, std::span<const TileUse>)>& visit,
                     std::size_t usesAtATime = std::size_t{1} << 20) const;

private:
    struct Data;
    std::unique_ptr<Data> m_data;
    bool m_kept = true;
    bool m_keptOfPresent = true;
};

/// The tiles that use `entry` (an entry of filelist, splinefilelist, missingobjects or
/// missingsplines, matched case-sensitively as the seen-sets match), in tile-list order, with
/// the first line of each. Empty for an unknown entry. Cheap enough to call from the window's
/// thread: one pass over the record, some ten milliseconds on a map of 2,000 tiles.
std::vector<TileUse> whereUsed(const WindowState& state, std::string_view entry);

}  // namespace gantrel
