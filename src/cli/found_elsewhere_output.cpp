// SPDX-License-Identifier: MIT
#include "cli/found_elsewhere_output.h"

#include "platform/platform.h"

namespace gantrel {

void appendFoundElsewhereText(const FoundElsewhere& found, std::string& text)
{
    text.append("\nFound elsewhere\n").append(foundElsewhereText(found));
}

void addFoundElsewhereJson(const FoundElsewhere& found, nlohmann::ordered_json& result)
{
    nlohmann::ordered_json entries = nlohmann::ordered_json::object();
    for (const FoundEntry& entry : found.entries) {
        nlohmann::ordered_json candidates = nlohmann::ordered_json::array();
        for (const std::string& candidate : entry.candidates) {
            candidates.push_back(platform::narrowToUtf8(candidate));
        }
        entries[platform::narrowToUtf8(entry.entry)] = std::move(candidates);
    }
    nlohmann::ordered_json moves = nlohmann::ordered_json::array();
    for (const MovedFolder& moved : found.movedFolders) {
        moves.push_back({{"from", platform::narrowToUtf8(moved.from)},
                         {"to", platform::narrowToUtf8(moved.to)},
                         {"found", moved.found},
                         {"missing", moved.missing}});
    }
    result["foundElsewhere"] = std::move(entries);
    result["movedFolders"] = std::move(moves);
}

}  // namespace gantrel
