// SPDX-License-Identifier: MIT
// Text for a terminal on POSIX: the program's 8-bit strings are UTF-8, as terminals show them.

#include <ostream>

#include "platform/platform.h"

namespace gantrel::platform {

void writeText(std::ostream& out, std::string_view text)
{
    out << text;
}

}  // namespace gantrel::platform
