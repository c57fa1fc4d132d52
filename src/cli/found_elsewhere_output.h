// SPDX-License-Identifier: MIT
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "analysis/found_elsewhere.h"

namespace gantrel {

/// The "Found elsewhere" section of the scanner's text: the folder moves first, then every
/// entry found, each followed by lines "    CANDIDATE", best first.
void appendFoundElsewhereText(const FoundElsewhere& found, std::string& text);

/// Adds "foundElsewhere" (entry -> candidates) and "movedFolders" to the scanner's JSON.
void addFoundElsewhereJson(const FoundElsewhere& found, nlohmann::ordered_json& result);

}  // namespace gantrel
