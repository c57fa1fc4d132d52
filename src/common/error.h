// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>
#include <string>

namespace gantrel {

/// An error the program does not expect (a tile that cannot be opened, a line too long to
/// fetch, a settings file that cannot be written). what() is the exact text the user sees;
/// the operation that a button started catches it once and shows it in the error box.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// "Line too long": raised as an out-of-resources error, as the native line store does.
class OutOfResources : public Error {
public:
    using Error::Error;
};

/// The error box's text: the message, with a "." added when its last character sorts after
/// "." in character order (a message ending in a line break or a quote gets none).
std::string errorBoxText(const std::string& message);

/// "Cannot open file "<path>". <description>", the description exactly as the system words it,
/// or "Unspecified error (<code>) from system." when that is empty or only blanks and controls.
std::string openErrorText(const std::string& fullPath, const std::string& description, int code);

}  // namespace gantrel
