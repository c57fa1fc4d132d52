// SPDX-License-Identifier: MIT
#include "window/command_line.h"

#include "gantrel/version.h"

namespace gantrel::window {

std::optional<int> answerInformationOptions(const std::vector<std::string_view>& arguments,
                                            std::ostream& out)
{
    // clang-format off
    constexpr std::string_view kUsage =
        "Usage: gantrel [--help] [--version]\n"
        "Opens the window that checks a TELV map folder: it lists the scenery objects and splines\n"
        "the map uses, their folders, and the ones missing from the installation, and copies the\n"
        "used folders into a map package folder. The map is chosen in the window.\n"
        "\n"
        "  --help     print this help\n"
        "  --version  print the version\n";
    // clang-format on
    for (const std::string_view argument : arguments) {
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

}  // namespace gantrel::window
