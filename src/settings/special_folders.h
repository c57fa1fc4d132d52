// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace gantrel {

inline constexpr int kProgramFilesFolder = 38;
inline constexpr int kFontsFolder = 20;

/// The shell's special folder for the identifier with a trailing separator added; never
/// creates it; the empty string (no separator) when the system gives no path.
std::string getSpecialFolder(int id);

}  // namespace gantrel
