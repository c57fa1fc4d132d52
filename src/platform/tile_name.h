// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

namespace gantrel::platform {

/// True for a name the tile search takes: it ends in ".map", the letters in any case.
inline bool isTileName(std::string_view name)
{
    if (name.size() < 4) {
        return false;
    }
    const std::string_view tail = name.substr(name.size() - 4);
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return tail[0] == '.' && lower(tail[1]) == 'm' && lower(tail[2]) == 'a' &&
           lower(tail[3]) == 'p';
}

}  // namespace gantrel::platform
