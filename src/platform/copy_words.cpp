// SPDX-License-Identifier: MIT
#include "platform/copy.h"

namespace gantrel::platform {

std::string outsideDestinationReason(const std::string& path)
{
    return "\"" + path + "\" leads out of the destination folder";
}

}  // namespace gantrel::platform
