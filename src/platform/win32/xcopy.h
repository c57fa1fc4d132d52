// SPDX-License-Identifier: MIT
#pragma once

// How a finished xcopy went, apart from the Windows API so that the tests can ask it without
// starting xcopy: it writes its reasons to a console of its own, and its exit code and the look
// at the target afterwards are all the program learns.

#include <cstdint>
#include <functional>
#include <string>

namespace gantrel::platform::win32 {

/// Why an xcopy that ended with `exitCode` failed; empty when it succeeded. For 0, and for 1
/// ("no files were found to copy", as for a used folder whose files are all missing from the
/// installation), `checkCopy` is asked for what the target lacks, one problem a line: nothing
/// missing is success, and after 1 the problems follow the exit code's words. Any other code is
/// a failure in words with the code, and the target is not looked at.
std::string xcopyFailure(std::uint32_t exitCode, const std::function<std::string()>& checkCopy);

}  // namespace gantrel::platform::win32
