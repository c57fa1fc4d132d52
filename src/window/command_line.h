// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace gantrel::window {

/// The exit status of a command line the window does not take.
inline constexpr int kWindowUsage = 64;

/// Answers the options both windows take before they open, where no display may be: --help
/// (or -h) prints the usage, --version "gantrel VERSION", each to `out`. Returns the exit
/// status once answered; nullopt when the arguments (the program's name left out) hold neither,
/// and the window opens.
std::optional<int> answerInformationOptions(const std::vector<std::string_view>& arguments,
                                            std::ostream& out);

/// How the window starts, read from its command line.
struct WindowStart {
    /// Set when the program ends at once with this status: --help or --version was answered,
    /// or the command line was wrong.
    std::optional<int> exitStatus;
    /// The map folder to analyse as soon as the window shows, as asChosenFolder gives it.
    std::optional<std::string> mapFolder;
};

/// Reads the window's command line (the program's name left out): --help and --version as
/// answerInformationOptions answers them, and at most one MAP_FOLDER ("--" ends the options,
/// for a folder whose name starts with "-"). Anything else is wrong usage: one line on `err`
/// says what is wrong and how to get the help, and the exit status is kWindowUsage.
WindowStart readCommandLine(const std::vector<std::string_view>& arguments, std::ostream& out,
                            std::ostream& err);

}  // namespace gantrel::window
