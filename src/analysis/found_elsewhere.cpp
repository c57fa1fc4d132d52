// SPDX-License-Identifier: MIT
#include "analysis/found_elsewhere.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "platform/file_tree.h"
#include "platform/platform.h"

namespace gantrel {
namespace {

bool referenceSeparator(char c)
{
    return c == '\\' || c == '/';
}

// The components of a reference, each with the key the file system matches it by, and where
// each ends in the text.
struct Components {
    std::vector<std::string> keys;
    std::vector<std::size_t> ends;  // one past each component's last character
};

Components componentsOf(std::string_view reference)
{
    Components parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= reference.size(); ++i) {
        if (i == reference.size() || referenceSeparator(reference[i])) {
            if (i > start) {
                parts.keys.push_back(platform::fileNameKey(reference.substr(start, i - start)));
                parts.ends.push_back(i);
            }
            start = i + 1;
        }
    }
    return parts;
}

std::size_t sharedFromEnd(const Components& a, const Components& b)
{
    std::size_t n = 0;
    while (n < a.keys.size() && n < b.keys.size() &&
           a.keys[a.keys.size() - 1 - n] == b.keys[b.keys.size() - 1 - n]) {
        ++n;
    }
    return n;
}

std::size_t sharedFromStart(const Components& a, const Components& b)
{
    std::size_t n = 0;
    while (n < a.keys.size() && n < b.keys.size() && a.keys[n] == b.keys[n]) {
        ++n;
    }
    return n;
}

struct Candidate {
    std::string text;
    Components parts;
    std::size_t fromEnd = 0;
    std::size_t fromStart = 0;
};

bool better(const Candidate& a, const Candidate& b)
{
    if (a.fromEnd != b.fromEnd) {
        return a.fromEnd > b.fromEnd;
    }
    if (a.fromStart != b.fromStart) {
        return a.fromStart > b.fromStart;
    }
    if (a.text.size() != b.text.size()) {
        return a.text.size() < b.text.size();
    }
    return a.text < b.text;
}

struct Missing {
    const std::string* text;
    Components parts;
    bool spline;
    bool inKnownFolders;  // below Sceneryobjects or Splines
    std::vector<Candidate> candidates;
};

void keepBest(std::vector<Candidate>& candidates)
{
    std::sort(candidates.begin(), candidates.end(), better);
    if (candidates.size() > kMaxCandidates) {
        candidates.resize(kMaxCandidates);
    }
}

// Walks the tree once and hands every file to `visit` as its reference and its name's key.
class Walk {
public:
    Walk(const std::string& gameRoot, const std::function<bool()>& cancelRequested)
        : m_root(gameRoot), m_cancelRequested(cancelRequested)
    {
    }

    template <class Visit>
    void run(const std::vector<std::string>& tops, bool everything, Visit visit)
    {
        const auto entries = platform::listFolder(m_root);
        if (!entries) {
            ++unlisted;
            return;
        }
        for (const platform::FolderEntry& entry : *entries) {
            const std::string key = platform::fileNameKey(entry.name);
            const bool top = std::find(tops.begin(), tops.end(), key) != tops.end();
            if (entry.folder && (everything || top)) {
                m_pending.push_back(entry.name + '\\');
            } else if (!entry.folder && everything) {
                visit(entry.name, key);
            }
        }
        while (!m_pending.empty()) {
            if (m_cancelRequested && m_cancelRequested()) {
                cancelled = true;
                return;
            }
            const std::string folder = std::move(m_pending.back());
            m_pending.pop_back();
            const auto listed = platform::listFolder(m_root + native(folder));
            if (!listed) {
                ++unlisted;
                continue;
            }
            for (const platform::FolderEntry& entry : *listed) {
                if (entry.folder) {
                    m_pending.push_back(folder + entry.name + '\\');
                } else {
                    visit(folder + entry.name, platform::fileNameKey(entry.name));
                }
            }
        }
    }

    std::size_t unlisted = 0;
    bool cancelled = false;

private:
    static std::string native(std::string reference)
    {
        std::replace(reference.begin(), reference.end(), '\\', platform::separator());
        return reference;
    }

    const std::string& m_root;
    const std::function<bool()>& m_cancelRequested;
    std::vector<std::string> m_pending;  // references of folders still to list
};

// The number of entries in a sorted list that start with the prefix.
std::size_t countStartingWith(const std::vector<std::string_view>& sorted, std::string_view prefix)
{
    const auto first = std::lower_bound(sorted.begin(), sorted.end(), prefix);
    auto last = first;
    while (last != sorted.end() && last->starts_with(prefix)) {
        ++last;
    }
    return static_cast<std::size_t>(last - first);
}

std::vector<MovedFolder> detectMoves(const std::vector<Missing>& missing)
{
    // Every way a candidate can be the entry's file below another folder: the entry's folder
    // F and the candidate's folder G above the components they share from the end.
    std::map<std::pair<std::string, std::string>, std::size_t> support;
    for (const Missing& entry : missing) {
        for (const Candidate& candidate : entry.candidates) {
            const std::size_t most = std::min(
                {candidate.fromEnd, entry.parts.keys.size() - 1, candidate.parts.keys.size() - 1});
            for (std::size_t shared = 1; shared <= most; ++shared) {
                const std::size_t fromEnd = entry.parts.ends[entry.parts.keys.size() - 1 - shared];
                const std::size_t toEnd =
                    candidate.parts.ends[candidate.parts.keys.size() - 1 - shared];
                ++support[{entry.text->substr(0, fromEnd + 1),
                           candidate.text.substr(0, toEnd + 1)}];
            }
        }
    }
    std::vector<std::string_view> objects;
    std::vector<std::string_view> splines;
    for (const Missing& entry : missing) {
        (entry.spline ? splines : objects).push_back(*entry.text);
    }
    std::sort(objects.begin(), objects.end());
    std::sort(splines.begin(), splines.end());

    // The best target of each folder, when it holds most of the folder's missing entries.
    std::map<std::string, MovedFolder> best;
    for (const auto& [folders, found] : support) {
        const auto& [from, to] = folders;
        if (found < 2 || platform::fileNameKey(from) == platform::fileNameKey(to)) {
            continue;
        }
        MovedFolder moved{from, to, found, 0, false, false};
        const std::size_t objectCount = countStartingWith(objects, from);
        const std::size_t splineCount = countStartingWith(splines, from);
        moved.missing = objectCount + splineCount;
        moved.objects = objectCount > 0;
        moved.splines = splineCount > 0;
        if (2 * found <= moved.missing) {
            continue;
        }
        auto [place, added] = best.try_emplace(from, moved);
        if (!added && (found > place->second.found ||
                       (found == place->second.found && to.size() < place->second.to.size()))) {
            place->second = moved;
        }
    }
    // A move inside a folder that moved alike is part of that move: only the outer one shows.
    std::vector<MovedFolder> moves;
    for (const auto& entry : best) {  // outer folders sort before the folders inside
        const std::string& from = entry.first;
        const MovedFolder& moved = entry.second;
        const bool implied = std::any_of(moves.begin(), moves.end(), [&](const MovedFolder& outer) {
            return from.starts_with(outer.from) &&
                   moved.to == outer.to + from.substr(outer.from.size());
        });
        if (!implied) {
            moves.push_back(moved);
        }
    }
    std::stable_sort(moves.begin(), moves.end(),
                     [](const MovedFolder& a, const MovedFolder& b) { return a.found > b.found; });
    return moves;
}

}  // namespace

std::vector<std::string> FoundElsewhere::candidatesOf(std::string_view entry) const
{
    for (const FoundEntry& found : entries) {
        if (found.entry == entry) {
            return found.candidates;
        }
    }
    return {};
}

FoundElsewhere findElsewhere(const std::string& gameRoot,
                             const std::vector<std::string>& missingObjects,
                             const std::vector<std::string>& missingSplines,
                             const std::function<bool()>& cancelRequested)
{
    FoundElsewhere result;
    if (missingObjects.empty() && missingSplines.empty()) {
        return result;
    }
    const std::vector<std::string> tops = {platform::fileNameKey("Sceneryobjects"),
                                           platform::fileNameKey("Splines")};
    std::vector<Missing> missing;
    std::unordered_map<std::string, std::vector<std::size_t>> byName;  // name key -> entries
    bool everything = false;
    for (const auto* list : {&missingObjects, &missingSplines}) {
        for (const std::string& text : *list) {
            Missing entry{&text, componentsOf(text), list == &missingSplines, false, {}};
            if (entry.parts.keys.empty()) {
                continue;
            }
            entry.inKnownFolders =
                entry.parts.keys.size() > 1 &&
                std::find(tops.begin(), tops.end(), entry.parts.keys.front()) != tops.end();
            everything = everything || !entry.inKnownFolders;
            byName[entry.parts.keys.back()].push_back(missing.size());
            missing.push_back(std::move(entry));
        }
    }

    Walk walk(gameRoot, cancelRequested);
    walk.run(tops, everything, [&](const std::string& reference, const std::string& key) {
        const auto found = byName.find(key);
        if (found == byName.end()) {
            return;
        }
        Candidate candidate{reference, componentsOf(reference)};
        const bool inKnownFolders =
            std::find(tops.begin(), tops.end(), candidate.parts.keys.front()) != tops.end();
        for (const std::size_t index : found->second) {
            Missing& entry = missing[index];
            if ((entry.inKnownFolders && !inKnownFolders) ||
                entry.parts.keys == candidate.parts.keys) {
                continue;
            }
            candidate.fromEnd = sharedFromEnd(entry.parts, candidate.parts);
            candidate.fromStart = sharedFromStart(entry.parts, candidate.parts);
            entry.candidates.push_back(candidate);
            if (entry.candidates.size() >= 2 * kMaxCandidates) {
                keepBest(entry.candidates);
            }
        }
    });
    result.unlistedFolders = walk.unlisted;
    result.cancelled = walk.cancelled;

    for (Missing& entry : missing) {
        keepBest(entry.candidates);
    }
    result.movedFolders = detectMoves(missing);
    for (const Missing& entry : missing) {
        if (entry.candidates.empty()) {
            continue;
        }
        FoundEntry found{*entry.text, {}};
        for (const Candidate& candidate : entry.candidates) {
            found.candidates.push_back(candidate.text);
        }
        result.entries.push_back(std::move(found));
    }
    return result;
}

std::string movedFolderText(const MovedFolder& moved)
{
    const char* kinds = moved.objects && moved.splines ? "objects and splines"
                        : moved.splines                ? "splines"
                                                       : "objects";
    return moved.from + " " + platform::utf8ToNarrow("\u2192") + " " + moved.to + ": " +
           std::to_string(moved.found) + " of " + std::to_string(moved.missing) + " missing " +
           kinds;
}

std::string foundElsewhereText(const FoundElsewhere& found)
{
    std::string text;
    for (const MovedFolder& moved : found.movedFolders) {
        text.append(movedFolderText(moved)).append(1, '\n');
    }
    for (const FoundEntry& entry : found.entries) {
        text.append(entry.entry).append(1, '\n');
        for (const std::string& candidate : entry.candidates) {
            text.append("    ").append(candidate).append(1, '\n');
        }
    }
    if (found.unlistedFolders > 0) {
        text.append("Folders that could not be listed: ")
            .append(std::to_string(found.unlistedFolders))
            .append(1, '\n');
    }
    return text;
}

}  // namespace gantrel
