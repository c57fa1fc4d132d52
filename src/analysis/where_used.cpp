// SPDX-License-Identifier: MIT
#include "analysis/where_used.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <thread>

#include "analysis/open_table.h"
#include "analysis/tile_classifier.h"
#include "analysis/use_block.h"
#include "analysis/window_state.h"

namespace gantrel {
namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

// A tile names each of its references by a number: the id the readers' record gave it (below
// kOwn), or, for a reference that record did not number, kOwn + its entry among the texts here.
// So the scan stores what the readers hand over as it is, without a look-up per reference.
constexpr std::uint32_t kOwn = std::uint32_t{1} << 31;

// Texts numbered from 0 in the order they were added, found by text. Not a TextSet: where-used
// also goes from a number back to its text, which the seen-sets would pay 8 bytes a text for.
class TextIds {
public:
    /// The text's number, or kNone.
    std::uint32_t find(std::string_view text, std::uint64_t hash) const
    {
        if (m_slots.empty()) {
            return kNone;
        }
        const std::size_t mask = m_slots.size() - 1;
        const auto low = static_cast<std::uint32_t>(hash);
        for (std::size_t i = low & mask; m_slots[i].id != kNone; i = (i + 1) & mask) {
            if (m_slots[i].hash == low && textOf(m_slots[i].id) == text) {
                return m_slots[i].id;
            }
        }
        return kNone;
    }

    /// The text's number, the next one when it is new.
    std::uint32_t add(std::string_view text, std::uint64_t hash)
    {
        if (const std::uint32_t found = find(text, hash); found != kNone) {
            return found;
        }
        if (2 * (m_starts.size() + 1) > m_slots.size()) {
            growTable(m_slots, &Slot::id, kNone);
        }
        const auto id = static_cast<std::uint32_t>(m_starts.size());
        m_starts.push_back(m_texts.size());
        m_texts.append(text);
        place(Slot{static_cast<std::uint32_t>(hash), id});
        return id;
    }

    std::size_t size() const { return m_starts.size(); }

private:
    // The low half of the hash places a text and tells most others from it: a slot of 8 bytes
    // instead of 16 (on a map of 100,000 references 2 MiB less).
    struct Slot {
        std::uint32_t hash;
        std::uint32_t id;  // kNone marks a free slot
    };

    std::string_view textOf(std::uint32_t id) const
    {
        const std::size_t end = id + 1 < m_starts.size() ? m_starts[id + 1] : m_texts.size();
        return std::string_view(m_texts).substr(m_starts[id], end - m_starts[id]);
    }

    void place(const Slot& slot)
    {
        const std::size_t mask = m_slots.size() - 1;
        std::size_t i = slot.hash & mask;
        while (m_slots[i].id != kNone) {
            i = (i + 1) & mask;
        }
        m_slots[i] = slot;
    }

    std::vector<Slot> m_slots;
    std::vector<std::size_t> m_starts;  // where each text begins in m_texts
    std::string m_texts;
};

// A set of the numbers tiles name references by, a bit each: the readers' ids below
// `readerIds`, then the own ones.
class IdSet {
public:
    IdSet(std::uint32_t readerIds, std::size_t entries)
        : m_readerIds(readerIds), m_words((readerIds + entries + 63) / 64)
    {
    }
    /// The place of a number among all, from 0 to universe() - 1.
    std::size_t index(std::uint32_t id) const
    {
        return id >= kOwn ? m_readerIds + std::size_t{id - kOwn} : id;
    }
    std::size_t universe() const { return m_words.size() * 64; }
    void add(std::uint32_t id)
    {
        const std::size_t i = index(id);
        m_words[i / 64] |= std::uint64_t{1} << (i % 64);
        m_highest = std::max(m_highest, id);
    }
    /// The largest number in the set (0 when it is empty).
    std::uint32_t highest() const { return m_highest; }
    bool contains(std::uint32_t id) const
    {
        const std::size_t i = index(id);
        return i / 64 < m_words.size() && (m_words[i / 64] >> (i % 64) & 1) != 0;
    }
    void clear()
    {
        std::fill(m_words.begin(), m_words.end(), 0);
        m_highest = 0;
    }

private:
    std::size_t m_readerIds;
    std::vector<std::uint64_t> m_words;
    std::uint32_t m_highest = 0;
};

}  // namespace

struct WhereUsedRecord::Data {
    TextIds ids;                            // the texts the tiles listed, as entries
    std::vector<std::uint32_t> readerIdOf;  // each entry's id from the readers, or kNone
    std::vector<bool> ownNamed;             // whether a tile named the entry by kOwn + entry
    std::uint32_t readerIds = 0;            // above every id from the readers met so far
    std::vector<UseBlock> tiles;
    // The own numbers of the tile being added, with their lines.
    std::vector<NumberedUse> pendingOwn;

    // The numbers that tiles may name the entry's text by.
    void numbersOf(std::uint32_t entry, IdSet& into) const
    {
        into.add(kOwn + entry);
        if (readerIdOf[entry] != kNone) {
            into.add(readerIdOf[entry]);
        }
    }
};

WhereUsedRecord::WhereUsedRecord() : m_data(std::make_unique<Data>()) {}
WhereUsedRecord::~WhereUsedRecord() = default;
WhereUsedRecord::WhereUsedRecord(const WhereUsedRecord& other)
    : m_data(std::make_unique<Data>(*other.m_data)),
      m_kept(other.m_kept),
      m_keptOfPresent(other.m_keptOfPresent)
{
}
WhereUsedRecord& WhereUsedRecord::operator=(const WhereUsedRecord& other)
{
    *m_data = *other.m_data;
    m_kept = other.m_kept;
    m_keptOfPresent = other.m_keptOfPresent;
    return *this;
}

void WhereUsedRecord::clear()
{
    *m_data = Data();
}

std::size_t WhereUsedRecord::tiles() const
{
    return m_data->tiles.size();
}

void WhereUsedRecord::addTile(TileReferences& references)
{
    if (!m_kept) {
        return;
    }
    Data& data = *m_data;
    // A use names a reference that this tile or an earlier one listed with the same id; the
    // listed ones the readers' record did not number are named by their entry here.
    data.pendingOwn.clear();
    for (std::size_t i = 0; i < references.size(); ++i) {
        const TileReferences::Reference& reference = references[i];
        const std::uint32_t entry = data.ids.add(references.text(reference), reference.hash);
        if (entry == data.readerIdOf.size()) {
            data.readerIdOf.push_back(kNone);
            data.ownNamed.push_back(false);
        }
        if (reference.id == ReportedReferences::kNoId) {
            data.ownNamed[entry] = true;
            data.pendingOwn.push_back(NumberedUse{kOwn + entry, reference.line});
        } else {
            data.readerIdOf[entry] = reference.id;
            data.readerIds = std::max(data.readerIds, reference.id + 1);
        }
    }
    UseBlock& block = data.tiles.emplace_back(std::move(references.uses()));
    if (!data.pendingOwn.empty()) {
        // Seldom: only a tile the readers' record does not number has own numbers, all above
        // the readers' ids.
        std::sort(data.pendingOwn.begin(), data.pendingOwn.end(),
                  [](const NumberedUse& a, const NumberedUse& b) { return a.id < b.id; });
        std::vector<NumberedUse> all;
        all.reserve(block.count() + data.pendingOwn.size());
        block.forEachId([&](std::uint32_t id) {
            all.push_back(NumberedUse{id, block.lineAt(static_cast<std::uint32_t>(all.size()))});
        });
        all.insert(all.end(), data.pendingOwn.begin(), data.pendingOwn.end());
        block.assign(all);
    }
}

std::vector<TileUse> WhereUsedRecord::usesOf(std::string_view text) const
{
    std::vector<TileUse> uses;
    const std::uint32_t entry = m_data->ids.find(text, hashText(text));
    if (entry == kNone) {
        return uses;
    }
    // Only the numbers the entry was named by, so that the scan of each tile ends at the largest.
    IdSet wanted(m_data->readerIds, m_data->ids.size());
    if (m_data->ownNamed[entry]) {
        wanted.add(kOwn + entry);
    }
    if (m_data->readerIdOf[entry] != kNone) {
        wanted.add(m_data->readerIdOf[entry]);
    }
    for (std::size_t t = 0; t < m_data->tiles.size(); ++t) {
        const UseBlock& block = m_data->tiles[t];
        block.scan(wanted, [&](std::uint32_t i, std::uint32_t) {
            uses.push_back(TileUse{t, std::size_t{block.lineAt(i)} + 1});
        });
    }
    return uses;
}

namespace {

// Below this many bytes of record a second thread costs more than it saves.
constexpr std::size_t kSplitBytes = std::size_t{64} << 10;

// Where a pass over the record is cut in two for two threads: after the first tiles that hold
// half its bytes; the end when one thread does it all.
std::size_t splitOf(const std::vector<UseBlock>& tiles)
{
    std::size_t total = 0;
    for (const UseBlock& block : tiles) {
        total += block.size();
    }
    if (total < kSplitBytes || std::thread::hardware_concurrency() < 2) {
        return tiles.size();
    }
    std::size_t before = 0;
    std::size_t split = 0;
    while (split < tiles.size() && 2 * before < total) {
        before += tiles[split++].size();
    }
    return split;
}

}  // namespace

void WhereUsedRecord::forEachUses(
    std::span<const std::string> texts,
    const std::function<void(std::size_t, std::span<const TileUse>)>& visit,
    std::size_t usesAtATime) const
{
    const Data& data = *m_data;
    const std::size_t tiles = data.tiles.size();
    const std::size_t split = splitOf(data.tiles);
    // The passes over the record: the tiles before `split` on this thread, the others, when
    // there are, on a second one beside it.
    const auto sideBySide = [&](const auto& front, const auto& back) {
        std::jthread second;
        if (split < tiles) {
            second = std::jthread(back);
        }
        front();
    };

    IdSet wanted(data.readerIds, data.ids.size());
    std::vector<std::uint32_t> entryOf(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        entryOf[i] = data.ids.find(texts[i], hashText(texts[i]));
        if (entryOf[i] != kNone) {
            data.numbersOf(entryOf[i], wanted);
        }
    }
    std::vector<std::uint32_t> counts(wanted.universe(), 0);
    {
        std::vector<std::uint32_t> backCounts(split < tiles ? counts.size() : 0, 0);
        const auto countIn = [&](std::size_t begin, std::size_t end,
                                 std::vector<std::uint32_t>& into) {
            for (std::size_t t = begin; t < end; ++t) {
                data.tiles[t].scan(
                    wanted, [&](std::uint32_t, std::uint32_t id) { ++into[wanted.index(id)]; });
            }
        };
        sideBySide([&] { countIn(0, split, counts); }, [&] { countIn(split, tiles, backCounts); });
        for (std::size_t i = 0; i < backCounts.size(); ++i) {
            counts[i] += backCounts[i];
        }
    }
    const auto countOf = [&](std::size_t i) -> std::size_t {
        const std::uint32_t entry = entryOf[i];
        if (entry == kNone) {
            return 0;
        }
        const std::uint32_t readerId = data.readerIdOf[entry];
        return counts[wanted.index(kOwn + entry)] +
               (readerId == kNone ? 0 : counts[wanted.index(readerId)]);
    };

    // The texts in batches of at most usesAtATime uses, each batch filled in one pass over the
    // record; place[index] tells which text of the batch a number's uses belong to. The batch
    // holds each use in half the bytes of a TileUse; a text's uses are widened when handed over.
    // The tiles before `split` fill each text's uses from its start on, the others, from the
    // last tile back, from its end: the two meet where the first ones end.
    struct BatchUse {
        std::uint32_t tile;
        std::uint32_t line;  // counted from 0
    };
    std::vector<std::uint32_t> place(wanted.universe(), kNone);
    std::vector<BatchUse> uses;
    std::vector<TileUse> handed;
    std::vector<std::size_t> starts;
    std::vector<std::size_t> front;
    std::vector<std::size_t> back;
    for (std::size_t first = 0; first < texts.size();) {
        wanted.clear();
        starts.assign(1, 0);
        std::size_t end = first;
        for (; end < texts.size() && (end == first || starts.back() + countOf(end) <= usesAtATime);
             ++end) {
            const std::uint32_t entry = entryOf[end];
            if (entry != kNone && !wanted.contains(kOwn + entry)) {
                data.numbersOf(entry, wanted);
                place[wanted.index(kOwn + entry)] = static_cast<std::uint32_t>(starts.size() - 1);
                if (data.readerIdOf[entry] != kNone) {
                    place[wanted.index(data.readerIdOf[entry])] =
                        static_cast<std::uint32_t>(starts.size() - 1);
                }
                starts.push_back(starts.back() + countOf(end));
            }
        }
        uses.resize(starts.back());
        front.assign(starts.begin(), starts.end() - 1);
        back.assign(starts.begin() + 1, starts.end());
        const auto fillFront = [&] {
            for (std::size_t t = 0; t < split; ++t) {
                const UseBlock& block = data.tiles[t];
                block.scan(wanted, [&](std::uint32_t i, std::uint32_t id) {
                    uses[front[place[wanted.index(id)]]++] =
                        BatchUse{static_cast<std::uint32_t>(t), block.lineAt(i)};
                });
            }
        };
        const auto fillBack = [&] {
            for (std::size_t t = tiles; t-- > split;) {
                const UseBlock& block = data.tiles[t];
                block.scan(wanted, [&](std::uint32_t i, std::uint32_t id) {
                    uses[--back[place[wanted.index(id)]]] =
                        BatchUse{static_cast<std::uint32_t>(t), block.lineAt(i)};
                });
            }
        };
        sideBySide(fillFront, fillBack);
        for (std::size_t i = first; i < end; ++i) {
            const std::size_t at =
                entryOf[i] == kNone ? 0 : starts[place[wanted.index(kOwn + entryOf[i])]];
            handed.clear();
            for (const BatchUse& use : std::span<const BatchUse>(uses).subspan(at, countOf(i))) {
                handed.push_back(TileUse{use.tile, std::size_t{use.line} + 1});
            }
            visit(i, handed);
        }
        first = end;
    }
}

std::vector<TileUse> whereUsed(const WindowState& state, std::string_view entry)
{
    return state.whereUsed.usesOf(entry);
}

}  // namespace gantrel
