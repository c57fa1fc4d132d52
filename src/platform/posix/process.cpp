// SPDX-License-Identifier: MIT
#include <csignal>

#include <malloc.h>

#include "platform/platform.h"

namespace gantrel::platform {

void failWritesToClosedPipes()
{
    std::signal(SIGPIPE, SIG_IGN);
}

void shareAllocatorArenas()
{
#if defined(M_ARENA_MAX)
    // The main arena and one more for every other thread: with eight readers the scan of three
    // million references took 23 MiB less, and no more time.
    mallopt(M_ARENA_MAX, 2);
#endif
}

}  // namespace gantrel::platform
