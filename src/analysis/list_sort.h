// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace gantrel {

/// Sorts a list ascending in the case-insensitive order of the user's locale. Entries that
/// compare equal (those that differ only in case) keep their relative order.
void sortCaseInsensitive(std::vector<std::string>& list,
                         const platform::CaseInsensitiveOrder& order);

}  // namespace gantrel
