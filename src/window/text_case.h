// SPDX-License-Identifier: MIT
#pragma once

// Letter case of the program's 8-bit strings, character by character, as the user's locale
// maps it. The implementation is chosen in CMake for the platform.

#include <string>
#include <string_view>

namespace gantrel::window {

/// The characters of an 8-bit string of the program, one code point each.
std::u32string codePointsOf(std::string_view text);
/// The 8-bit string of the code points; a character the strings cannot hold becomes the
/// substitute character.
std::string narrowOf(std::u32string_view codePoints);

/// Simple case mapping, one character for one.
char32_t upperCase(char32_t c);
char32_t lowerCase(char32_t c);

}  // namespace gantrel::window
