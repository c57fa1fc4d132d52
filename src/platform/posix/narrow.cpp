// SPDX-License-Identifier: MIT
// The program's 8-bit strings are UTF-8 on POSIX: text that leaves as UTF-8 leaves unchanged.

#include "platform/platform.h"

namespace gantrel::platform {

std::string narrowToUtf8(std::string_view text)
{
    return std::string(text);
}

}  // namespace gantrel::platform
