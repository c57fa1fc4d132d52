// SPDX-License-Identifier: MIT
#include "window/command_line.h"

#include "gantrel/version.h"
#include "window/opened_folder.h"

namespace gantrel::window {

std::optional<int> answerInformationOptions(const std::vector<std::string_view>& arguments,
                                            std::ostream& out)
{
    // clang-format off
    constexpr std::string_view kUsage =
        "Usage: gantrel [--help] [--version] [MAP_FOLDER]\n"
        "Opens the window that checks a TELV map folder: it lists the scenery objects and splines\n"
        "the map uses, their folders, and the ones missing from the installation, and copies the\n"
        "used folders into a map package folder. The map is chosen in the window, dropped on it,\n"
        "or given as MAP_FOLDER, which the window analyses as soon as it opens.\n"
        "\n"
        "  --help     print this help\n"
        "  --version  print the version\n";
    // clang-format on
    for (const std::string_view argument : arguments) {
        if (argument == "--") {
            break;
        }
        if (argument == "--help" || argument == "-h") {
            out << kUsage;
            return 0;
        }
        if (argument == "--version") {
            out << "gantrel " << kVersion << '\n';
            return 0;
        }
    }
    return std::nullopt;
}

WindowStart readCommandLine(const std::vector<std::string_view>& arguments, std::ostream& out,
                            std::ostream& err)
{
    if (const std::optional<int> answered = answerInformationOptions(arguments, out)) {
        return {answered, std::nullopt};
    }
    const auto wrong = [&err](std::string_view what) {
        err << "gantrel: " << what << "; try 'gantrel --help'\n";
        return WindowStart{kWindowUsage, std::nullopt};
    };
    bool optionsEnded = false;
    std::optional<std::string> folder;
    for (const std::string_view argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            return wrong("unknown option " + std::string(argument));
        } else if (folder) {
            return wrong("give at most one map folder");
        } else {
            folder = std::string(argument);
        }
    }
    if (!folder) {
        return {};
    }
    return {std::nullopt, asChosenFolder(*folder)};
}

}  // namespace gantrel::window
