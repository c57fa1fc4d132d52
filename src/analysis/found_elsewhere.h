// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace gantrel {

/// A folder whose missing entries were mostly found below one other folder, under the same
/// relative names.
struct MovedFolder {
    std::string from;         // as the references write it, ending in a backslash
    std::string to;           // likewise, as the installation names it
    std::size_t found = 0;    // missing entries below `from` found below `to`
    std::size_t missing = 0;  // missing entries below `from`
    bool objects = false;     // some of those missing entries are objects
    bool splines = false;     // some are splines
    bool operator==(const MovedFolder&) const = default;
};

/// A missing entry and the files of the same name elsewhere in the installation.
struct FoundEntry {
    std::string entry;
    std::vector<std::string> candidates;  // references relative to GameRoot, best first
};

struct FoundElsewhere {
    std::vector<MovedFolder> movedFolders;  // most entries found first
    std::vector<FoundEntry> entries;  // the missing objects, then the missing splines, in list
                                      // order; only those found somewhere
    std::size_t unlistedFolders = 0;  // folders skipped because they could not be listed
    bool cancelled = false;           // the search stopped early: what it holds is incomplete

    /// The candidates of a missing entry; empty when it was found nowhere.
    std::vector<std::string> candidatesOf(std::string_view entry) const;
};

/// At most this many candidates are kept for one entry, the best ones.
inline constexpr std::size_t kMaxCandidates = 16;

/// Looks for every missing entry elsewhere below GameRoot (with its trailing separator, or empty
/// for the current folder), in one walk: a file of the same name, matched as the native file
/// system matches names, is a candidate. Entries below Sceneryobjects or Splines are looked for
/// below those two folders only; only when some entry lies outside them is the rest of GameRoot
/// walked too. Candidates are ranked by the path components they share with the entry from its
/// end, then from its start, then by their length. Nothing is walked when nothing is missing.
/// `cancelRequested` is asked before each folder; true ends the walk. Thread-safe as long as
/// the arguments are not changed meanwhile.
FoundElsewhere findElsewhere(const std::string& gameRoot,
                             const std::vector<std::string>& missingObjects,
                             const std::vector<std::string>& missingSplines,
                             const std::function<bool()>& cancelRequested = {});

/// "FROM → TO: FOUND of MISSING missing objects" (or splines, or objects and splines).
std::string movedFolderText(const MovedFolder& moved);

/// The whole result as lines: the folder moves first, then every entry found, each followed by
/// lines "    CANDIDATE", best first, and the number of folders that could not be listed.
std::string foundElsewhereText(const FoundElsewhere& found);

}  // namespace gantrel
