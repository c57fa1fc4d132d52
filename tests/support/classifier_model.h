// SPDX-License-Identifier: MIT
#pragma once

// The plain model of the tile classifier, shared by its tests and its fuzz target: the line
// store's lines fetched one by one, the tail of each compared as UTF-16.

#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/tile_classifier.h"
#include "analysis/tile_fast_path.h"

namespace gantrel::test {

/// What a tile's classification lists: the references in order, and the first line too long
/// to fetch.
struct Classified {
    std::vector<std::pair<ReferenceKind, std::string>> references;
    std::optional<std::size_t> tooLongLine;
    bool operator==(const Classified&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Classified& classified);

/// classifyTile() of a whole tile file on its own, read `window` bytes at a time; with
/// `firstLines`, also the line (counted from 0) where each reference first occurs, else
/// without counting lines.
Classified classify(std::string_view file, std::vector<std::size_t>* firstLines = nullptr,
                    std::size_t window = kTileWindow);

/// The same, found the plain way: LineStore::line() for every line until one is too long.
Classified classifyLineByLine(std::string_view file,
                              std::vector<std::size_t>* firstLines = nullptr);

/// Calls `check` with the fast path on each vector set that this processor runs, narrowest
/// first, and leaves it on the widest.
void forEachVectorSet(const std::function<void(VectorSet)>& check);

}  // namespace gantrel::test
