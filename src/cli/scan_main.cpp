// SPDX-License-Identifier: MIT
#include <iostream>
#include <string>
#include <vector>

#include "cli/scanner.h"
#include "platform/platform.h"

int main(int argc, char** argv)
{
    // A reader that goes away (gantrel-scan ... | head) is reported like a full disk.
    gantrel::platform::failWritesToClosedPipes();
    // The output of --where-used can run to many megabytes: no stdio call per piece.
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return gantrel::runScanner(arguments, std::cout, std::cerr);
}
