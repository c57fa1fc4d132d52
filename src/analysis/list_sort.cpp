// SPDX-License-Identifier: MIT
#include "analysis/list_sort.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <future>
#include <memory>
#include <numeric>
#include <queue>
#include <string_view>

#include "analysis/varint.h"

namespace gantrel {
namespace {

// An entry's sort key and its place in the list before sorting. A list entry is a path or a
// reference line, far shorter than 4 GiB, and no list holds 4 billion entries.
struct Keyed {
    const char* key;
    std::uint32_t size;
    std::uint32_t position;

    std::string_view text() const { return {key, size}; }
};

// The keys of a part of a list packed into large blocks: a key per entry as a string of its
// own would take more than the entry itself (its allocation is sized for the longest key a
// text can have).
class KeyArena {
public:
    std::string_view add(std::string_view key)
    {
        if (key.size() > m_room) {
            m_room = std::max(kBlock, key.size());
            m_blocks.push_back(std::make_unique_for_overwrite<char[]>(m_room));
            m_free = m_blocks.back().get();
        }
        char* const at = m_free;
        std::memcpy(at, key.data(), key.size());
        m_free += key.size();
        m_room -= key.size();
        return {at, key.size()};
    }

private:
    static constexpr std::size_t kBlock = std::size_t{1} << 20;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_free = nullptr;
    std::size_t m_room = 0;
};

void appendNumber(std::string& out, std::size_t value)
{
    unsigned char bytes[kMaxVarintSize];
    out.append(reinterpret_cast<const char*>(bytes),
               static_cast<std::size_t>(writeVarint(bytes, value) - bytes));
}

// A part of the list in order: its entries' places and their sort keys, each key written as
// the length it shares with the one before, the length of the rest and the rest. Sorted keys
// share most of their bytes, so a long list keeps its keys in a fraction of their size while
// the parts are merged.
struct Run {
    std::vector<std::uint32_t> positions;
    std::string keys;
};

// A part's entries of ASCII alone ordered by their characters' ranks, and the others (or all
// of them, where the order has no ranks) by their sort keys. Ranks cost next to nothing;
// a sort key costs as much as hundreds of key comparisons.
struct RunPair {
    Run ranked;
    Run keyed;
};

// The entry's key of ranks, when every character has a rank.
bool rankKey(std::string_view text, const platform::CaseInsensitiveOrder::AsciiRanks& ranks,
             std::string& key)
{
    key.clear();
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || ranks[byte] == platform::CaseInsensitiveOrder::kUnranked) {
            return false;
        }
        if (ranks[byte] != 0) {
            key.push_back(static_cast<char>(ranks[byte]));
        }
    }
    return true;
}

// The entries in order of their keys, and their former places where keys are equal.
Run sortedByKeys(std::vector<Keyed>& keyed)
{
    // Equal keys in their previous order, as a stable sort leaves them, without its buffer.
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int byKey = a.text().compare(b.text());
        return byKey != 0 ? byKey < 0 : a.position < b.position;
    });
    Run run;
    run.positions.reserve(keyed.size());
    std::string_view previous;
    for (const Keyed& entry : keyed) {
        const std::string_view key = entry.text();
        const std::size_t common = std::min(key.size(), previous.size());
        const std::size_t shared = static_cast<std::size_t>(
            std::mismatch(key.begin(), key.begin() + common, previous.begin()).first - key.begin());
        appendNumber(run.keys, shared);
        appendNumber(run.keys, key.size() - shared);
        run.keys.append(key.substr(shared));
        run.positions.push_back(entry.position);
        previous = key;
    }
    run.keys.shrink_to_fit();
    return run;
}

RunPair sortedRuns(const std::vector<std::string>& list, std::size_t from, std::size_t to,
                   const platform::CaseInsensitiveOrder& order)
{
    const platform::CaseInsensitiveOrder::AsciiRanks* const ranks = order.asciiRanks();
    KeyArena arena;
    std::vector<Keyed> ranked;
    std::vector<Keyed> keyed;
    std::string key;
    for (std::size_t i = from; i < to; ++i) {
        const bool byRanks = ranks != nullptr && rankKey(list[i], *ranks, key);
        const std::string_view stored = arena.add(byRanks ? key : order.sortKey(list[i]));
        (byRanks ? ranked : keyed)
            .push_back(Keyed{stored.data(), static_cast<std::uint32_t>(stored.size()),
                             static_cast<std::uint32_t>(i)});
    }
    return RunPair{sortedByKeys(ranked), sortedByKeys(keyed)};
}

// Reads a run's keys in order.
class RunCursor {
public:
    explicit RunCursor(const Run& run)
        : m_run(&run), m_at(reinterpret_cast<const unsigned char*>(run.keys.data()))
    {
    }

    /// Moves to the next entry; false at the end of the run.
    bool advance()
    {
        if (m_next == m_run->positions.size()) {
            return false;
        }
        const auto shared = static_cast<std::size_t>(readVarint(m_at));
        const auto rest = static_cast<std::size_t>(readVarint(m_at));
        m_key.resize(shared);
        m_key.append(reinterpret_cast<const char*>(m_at), rest);
        m_at += rest;
        ++m_next;
        return true;
    }
    const std::string& key() const { return m_key; }
    std::uint32_t position() const { return m_run->positions[m_next - 1]; }

private:
    const Run* m_run;
    const unsigned char* m_at;
    std::size_t m_next = 0;
    std::string m_key;
};

// The places of the entries in the order of the runs merged. Runs hold consecutive parts of
// the list, so of equal keys the one of the earlier run comes first.
std::vector<std::uint32_t> merged(std::vector<Run>& runs)
{
    if (runs.size() == 1) {
        return std::move(runs.front().positions);
    }
    std::vector<RunCursor> cursors;
    std::size_t total = 0;
    for (const Run& run : runs) {
        cursors.emplace_back(run);
        total += run.positions.size();
    }
    const auto after = [&](std::size_t a, std::size_t b) {
        const int byKey = cursors[a].key().compare(cursors[b].key());
        return byKey != 0 ? byKey > 0 : a > b;
    };
    std::priority_queue<std::size_t, std::vector<std::size_t>, decltype(after)> next(after);
    for (std::size_t r = 0; r < cursors.size(); ++r) {
        if (cursors[r].advance()) {
            next.push(r);
        }
    }
    std::vector<std::uint32_t> order;
    order.reserve(total);
    while (!next.empty()) {
        const std::size_t r = next.top();
        next.pop();
        order.push_back(cursors[r].position());
        if (cursors[r].advance()) {
            next.push(r);
        }
    }
    return order;
}

// The entries ordered by ranks and those ordered by keys in one order. Keys of the two kinds
// do not compare, so their texts are compared, galloping through the ranked entries from
// where the last keyed entry went: few keyed entries among many cost few comparisons.
std::vector<std::uint32_t> joined(std::vector<std::uint32_t> ranked,
                                  std::vector<std::uint32_t> keyed,
                                  const std::vector<std::string>& list,
                                  const platform::CaseInsensitiveOrder& order)
{
    if (keyed.empty()) {
        return ranked;
    }
    if (ranked.empty()) {
        return keyed;
    }
    const auto goesBefore = [&](std::uint32_t k, std::uint32_t r) {
        const int byText = order.compare(list[k], list[r]);
        return byText != 0 ? byText < 0 : k < r;
    };
    std::vector<std::uint32_t> places;
    places.reserve(ranked.size() + keyed.size());
    auto from = ranked.cbegin();
    for (const std::uint32_t k : keyed) {
        auto low = from;
        auto high = from;
        for (std::ptrdiff_t step = 1; high != ranked.cend() && !goesBefore(k, *high); step *= 2) {
            low = high + 1;
            high += std::min(step, ranked.cend() - high);
        }
        const auto at =
            std::partition_point(low, high, [&](std::uint32_t r) { return !goesBefore(k, r); });
        places.insert(places.end(), from, at);
        places.push_back(k);
        from = at;
    }
    places.insert(places.end(), from, ranked.cend());
    return places;
}

// Puts the entries in the order of their former places, in place: each entry moves once along
// its cycle, so no second list is made. Marks the places it has filled.
void permute(std::vector<std::string>& list, std::vector<std::uint32_t>& order)
{
    for (std::uint32_t start = 0; start < order.size(); ++start) {
        if (order[start] == start) {
            continue;
        }
        std::string first = std::move(list[start]);
        std::uint32_t to = start;
        for (;;) {
            const std::uint32_t from = order[to];
            order[to] = to;
            if (from == start) {
                list[to] = std::move(first);
                break;
            }
            list[to] = std::move(list[from]);
            to = from;
        }
    }
}

}  // namespace

void sortCaseInsensitive(std::vector<std::string>& list,
                         const platform::CaseInsensitiveOrder& order)
{
    std::vector<std::string>* const lists[] = {&list};
    sortCaseInsensitive(lists, order);
}

void sortCaseInsensitive(std::span<std::vector<std::string>* const> lists,
                         const platform::CaseInsensitiveOrder& order)
{
    // A key once per entry, of ranks or by the order: comparing keys is a byte compare,
    // collating pairs is not. A long list is sorted in runs whose keys are held whole only
    // while the run is made, and making a key costs far more than comparing two, so the runs
    // are shared with a second core, which needs an order object of its own. The lists go one
    // after the other, the longest first, without waiting between them: whichever core makes a
    // list's last run merges that list while the other goes on with the next, so that only
    // about one list's runs are held at a time.
    constexpr std::size_t kRunEntries = std::size_t{1} << 17;
    struct Part {
        std::size_t list;
        std::size_t from;
        std::size_t to;
        std::size_t run;
    };
    std::vector<std::size_t> longestFirst(lists.size());
    std::iota(longestFirst.begin(), longestFirst.end(), std::size_t{0});
    std::stable_sort(longestFirst.begin(), longestFirst.end(), [&](std::size_t a, std::size_t b) {
        return lists[a]->size() > lists[b]->size();
    });
    std::vector<std::vector<RunPair>> runs(lists.size());
    const auto unmade = std::make_unique<std::atomic<std::size_t>[]>(lists.size());
    std::vector<Part> parts;
    for (const std::size_t l : longestFirst) {
        const std::size_t entries = lists[l]->size();
        if (entries == 0) {
            continue;
        }
        const std::size_t count =
            entries < 8192 ? 1
                           : std::max<std::size_t>(2, (entries + kRunEntries - 1) / kRunEntries);
        const std::size_t size = (entries + count - 1) / count;
        runs[l].resize(count);
        unmade[l] = count;
        for (std::size_t r = 0; r < count; ++r) {
            parts.push_back(
                Part{l, std::min(entries, r * size), std::min(entries, (r + 1) * size), r});
        }
    }
    std::atomic<std::size_t> next{0};
    const auto sortParts = [&](const platform::CaseInsensitiveOrder& by) {
        for (std::size_t p; (p = next.fetch_add(1)) < parts.size();) {
            const Part& part = parts[p];
            runs[part.list][part.run] = sortedRuns(*lists[part.list], part.from, part.to, by);
            if (unmade[part.list].fetch_sub(1) == 1) {
                std::vector<Run> ranked;
                std::vector<Run> keyed;
                for (RunPair& pair : runs[part.list]) {
                    ranked.push_back(std::move(pair.ranked));
                    keyed.push_back(std::move(pair.keyed));
                }
                runs[part.list].clear();
                std::vector<std::uint32_t> places =
                    joined(merged(ranked), merged(keyed), *lists[part.list], by);
                permute(*lists[part.list], places);
            }
        }
    };
    std::future<void> second;
    if (parts.size() > 1) {
        second =
            std::async(std::launch::async, [&] { sortParts(platform::CaseInsensitiveOrder()); });
    }
    sortParts(order);
    if (second.valid()) {
        second.get();
    }
}

}  // namespace gantrel
