// SPDX-License-Identifier: MIT
#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace gantrel {

/// Sorts a list ascending in the case-insensitive order of the user's locale. Entries that
/// compare equal (those that differ only in case) keep their relative order.
void sortCaseInsensitive(std::vector<std::string>& list,
                         const platform::CaseInsensitiveOrder& order);
/// The same for several lists at once, each on its own, their work shared between two cores.
void sortCaseInsensitive(std::span<std::vector<std::string>* const> lists,
                         const platform::CaseInsensitiveOrder& order);

}  // namespace gantrel
