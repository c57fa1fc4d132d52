// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>

#include "support/test_support.h"

namespace gantrel::test {

/// Reads a zip back with three independent readers (Info-ZIP's unzip -t, Python's zipfile with
/// every CRC checked, and 7z t), failing the test for each that finds fault. POSIX, where the
/// readers are installed.
void checkZip(const std::filesystem::path& zip);

/// Reads a zip back as checkZip does, then unpacks it into an empty folder and returns what it
/// holds. POSIX, where the readers are installed.
Tree unpackedZip(const std::filesystem::path& zip);

}  // namespace gantrel::test
