// SPDX-License-Identifier: MIT
#include "analysis/list_sort.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <future>
#include <memory>
#include <string_view>

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

// The keys of a list packed into large blocks: a key per entry as a string of its own would
// take more than the entry itself (its allocation is sized for the longest key a text can have).
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

// Puts the entries in the order that `keyed` gives by positions, in place: each entry moves
// once along its cycle, so no second list is made. Marks the positions it has placed.
void permute(std::vector<std::string>& list, std::vector<Keyed>& keyed)
{
    for (std::uint32_t start = 0; start < keyed.size(); ++start) {
        if (keyed[start].position == start) {
            continue;
        }
        std::string first = std::move(list[start]);
        std::uint32_t to = start;
        for (;;) {
            const std::uint32_t from = keyed[to].position;
            keyed[to].position = to;
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
    // Sort keys once per entry: comparing keys is a byte compare, collating pairs is not.
    // Making a key costs far more than comparing two, so a long list shares the work with a
    // second core, which needs an order object and an arena of its own.
    std::vector<Keyed> keyed(list.size());
    KeyArena firstKeys;
    KeyArena secondKeys;
    const auto makeKeys = [&](const platform::CaseInsensitiveOrder& by, KeyArena& keys,
                              std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            const std::string_view key = keys.add(by.sortKey(list[i]));
            keyed[i] = Keyed{key.data(), static_cast<std::uint32_t>(key.size()),
                             static_cast<std::uint32_t>(i)};
        }
    };
    const std::size_t half = list.size() >= 8192 ? list.size() / 2 : list.size();
    std::future<void> second;
    if (half < list.size()) {
        second = std::async(std::launch::async, [&] {
            makeKeys(platform::CaseInsensitiveOrder(), secondKeys, half, list.size());
        });
    }
    makeKeys(order, firstKeys, 0, half);
    if (second.valid()) {
        second.get();
    }
    // Equal keys in their previous order, as a stable sort leaves them, without its buffer.
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int byKey = a.text().compare(b.text());
        return byKey != 0 ? byKey < 0 : a.position < b.position;
    });
    firstKeys = KeyArena();
    secondKeys = KeyArena();
    permute(list, keyed);
}

}  // namespace gantrel
