// SPDX-License-Identifier: MIT
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "export/copier.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        return gantrel::runCopier(arguments, std::cout, std::cerr);
    } catch (const std::exception& error) {
        std::cerr << "gantrel-copy: " << error.what() << "\n";
        return gantrel::kCopyFailed;
    }
}
