// SPDX-License-Identifier: MIT
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace gantrel {

/// Exit statuses of gantrel-copy.
inline constexpr int kCopyDone = 0;    // everything was copied
inline constexpr int kCopyFailed = 1;  // something could not be copied; said on the error stream
inline constexpr int kCopyUsage = 64;  // wrong usage

/// The program gantrel-copy: `gantrel-copy [--within FOLDER] [--] SOURCE TARGET` copies the
/// folder SOURCE, found without regard to case with "\" and "/" both taken as separators, into
/// the folder TARGET, which is made when missing: subfolders except empty ones, existing files
/// overwritten without asking. Nothing is written outside FOLDER (TARGET itself when not
/// given), which is never copied into itself, and the source is never changed. Each thing that
/// could not be copied is one line "gantrel-copy: ..." on `err`. --help and --version print to
/// `out`. Returns the exit status.
int runCopier(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace gantrel
