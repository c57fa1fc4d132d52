// SPDX-License-Identifier: MIT
#include "platform/platform.h"

namespace gantrel::platform {

// A write to a closed pipe fails with ERROR_NO_DATA here; no signal ends the process.
void failWritesToClosedPipes() {}

// Threads allocate from the one process heap.
void shareAllocatorArenas() {}

}  // namespace gantrel::platform
