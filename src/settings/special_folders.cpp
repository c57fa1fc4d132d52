// SPDX-License-Identifier: MIT
#include "settings/special_folders.h"

#include "platform/platform.h"

namespace gantrel {

std::string getSpecialFolder(int id)
{
    return platform::specialFolder(id);
}

}  // namespace gantrel
