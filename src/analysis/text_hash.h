// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string_view>

namespace gantrel {

/// The hash the seen-sets use for a reference's 8-bit text.
std::uint64_t hashText(std::string_view text);

}  // namespace gantrel
