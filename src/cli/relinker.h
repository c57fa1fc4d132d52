// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace gantrel {

/// Exit statuses of gantrel-relink.
enum RelinkStatus : int {
    kRelinkDone = 0,    // every use was relinked (or, with --dry-run, could be)
    kRelinkPartly = 1,  // some tile was left alone
    kRelinkFailed = 2,  // not a map folder, the backup or a write failed
    kRelinkUsage = 64,  // wrong usage
};

/// gantrel-relink MAP_FOLDER OLD NEW [--dry-run]: relinks the reference (or the folder) OLD to
/// NEW in every tile of the map, as the window's Relink does, with the same backup; prints what
/// will change, then the report, to `out`. `arguments` excludes the program name.
int runRelinker(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace gantrel
