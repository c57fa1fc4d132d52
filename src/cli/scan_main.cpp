// SPDX-License-Identifier: MIT
#include <iostream>
#include <string>
#include <vector>

#include "cli/scanner.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return gantrel::runScanner(arguments, std::cout, std::cerr);
}
