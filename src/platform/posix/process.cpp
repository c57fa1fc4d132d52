// SPDX-License-Identifier: MIT
#include <csignal>

#include "platform/platform.h"

namespace gantrel::platform {

void failWritesToClosedPipes()
{
    std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace gantrel::platform
