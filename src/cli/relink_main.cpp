// SPDX-License-Identifier: MIT
#include <iostream>
#include <string>
#include <vector>

#include "cli/relinker.h"
#include "platform/platform.h"

int main(int argc, char** argv)
{
    gantrel::platform::failWritesToClosedPipes();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return gantrel::runRelinker(arguments, std::cout, std::cerr);
}
