#include "analysis/list_sort.h"

#include <algorithm>
#include <numeric>

namespace gantrel {

void sortCaseInsensitive(std::vector<std::string>& list,
                         const platform::CaseInsensitiveOrder& order)
{
    // Sort keys once per entry: comparing keys is a byte compare, collating pairs is not.
    std::vector<std::string> keys;
    keys.reserve(list.size());
    for (const std::string& entry : list) {
        keys.push_back(order.sortKey(entry));
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
