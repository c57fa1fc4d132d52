// SPDX-License-Identifier: MIT
#include "common/error.h"

#include <algorithm>

namespace gantrel {

std::string errorBoxText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        return message + ".";
    }
    return message;
}

std::string openErrorText(const std::string& fullPath, const std::string& description, int code)
{
    const bool meaningful = std::any_of(description.begin(), description.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u > ' ' && u != 0x7F;
    });
    const std::string reason =
        meaningful ? description : "Unspecified error (" + std::to_string(code) + ") from system.";
    return "Cannot open file \"" + fullPath + "\". " + reason;
}

}  // namespace gantrel
