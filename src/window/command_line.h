// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

namespace gantrel::window {

/// Answers the options both windows take before they open, where no display may be: --help
/// (or -h) prints the usage, --version "gantrel VERSION", each to `out`. Returns the exit
/// status once answered; nullopt when the arguments (the program's name left out) hold neither,
/// and the window opens.
std::optional<int> answerInformationOptions(const std::vector<std::string_view>& arguments,
                                            std::ostream& out);

}  // namespace gantrel::window
