// SPDX-License-Identifier: MIT
#include "analysis/list_sort.h"

#include <algorithm>
#include <future>
#include <numeric>

namespace gantrel {

void sortCaseInsensitive(std::vector<std::string>& list,
                         const platform::CaseInsensitiveOrder& order)
{
    // Sort keys once per entry: comparing keys is a byte compare, collating pairs is not.
    // Making a key costs far more than comparing two, so a long list shares the work with a
    // second core, which needs an order object of its own.
    std::vector<std::string> keys(list.size());
    const auto makeKeys = [&](const platform::CaseInsensitiveOrder& by, std::size_t from,
                              std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            keys[i] = by.sortKey(list[i]);
        }
    };
    const std::size_t half = list.size() >= 8192 ? list.size() / 2 : list.size();
    std::future<void> second;
    if (half < list.size()) {
        second = std::async(std::launch::async,
                            [&] { makeKeys(platform::CaseInsensitiveOrder(), half, list.size()); });
    }
    makeKeys(order, 0, half);
    if (second.valid()) {
        second.get();
    }
    std::vector<std::size_t> positions(list.size());
    std::iota(positions.begin(), positions.end(), std::size_t{0});
    std::stable_sort(positions.begin(), positions.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::vector<std::string> sorted;
    sorted.reserve(list.size());
    for (const std::size_t position : positions) {
        sorted.push_back(std::move(list[position]));
    }
    list = std::move(sorted);
}

}  // namespace gantrel
