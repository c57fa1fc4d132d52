// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace gantrel {

/// Exit statuses of gantrel-scan.
enum ScanStatus : int {
    kScanClean = 0,    // the run completed and nothing is missing
    kScanMissing = 1,  // the run completed and some object or spline is missing
    kScanFailed = 2,   // not a map folder, or the run ended with an error
    kScanUsage = 64,   // wrong usage
};

/// gantrel-scan: runs the analysis run on MAP_FOLDER exactly as the window does once its
/// chooser returned that folder, without writing the settings file, and prints the activity
/// log and the six lists (or, with --json, one JSON object) to `out`; message-box texts go to
/// `err` in order. `arguments` excludes the program name. Returns the exit status.
int runScanner(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

/// The map folder as a folder chooser returns it: absolute, without a trailing separator
/// except for a root.
std::string chosenFolderPath(const std::string& argument);

}  // namespace gantrel
