// SPDX-License-Identifier: MIT
#include "cli/relinker.h"

#include <algorithm>
#include <ostream>

#include "analysis/list_sort.h"
#include "analysis/relink.h"
#include "cli/scanner.h"
#include "gantrel/version.h"
#include "platform/platform.h"

namespace gantrel {
namespace {

constexpr const char* kUsage =
    "Usage: gantrel-relink [--dry-run] MAP_FOLDER OLD NEW\n"
    "Relinks a TELV map: in every tile of MAP_FOLDER, each line that is the reference OLD\n"
    "becomes NEW; when OLD and NEW are folders (ending in a backslash), each reference below\n"
    "OLD moves below NEW. Only the changed part of each line is rewritten, in the tile's own\n"
    "encoding. The tiles changed are first copied to MAP_FOLDER.backup-YYYYMMDD-HHMMSS.\n"
    "\n"
    "  --dry-run  only tell what would change\n"
    "  --help     print this help\n"
    "  --version  print the version\n"
    "\n"
    "Exit status: 0 every use relinked, 1 some tile left alone, 2 not a map folder or a\n"
    "backup or write that failed, 64 wrong usage.\n";

constexpr const char* kTryHelp = "; try 'gantrel-relink --help'\n";

// The map's tiles in the tile list's order; nothing for a folder that is no map folder.
std::optional<std::vector<std::string>> mapTiles(const std::string& folder)
{
    const std::string joint = folder + platform::separator();
    platform::FileLookup lookup;
    if (!lookup.fileExists(joint + "global.cfg") || !lookup.fileExists(joint + "ailists.cfg")) {
        return std::nullopt;
    }
    std::vector<std::string> tiles;
    for (const std::string& name : platform::findTiles(folder)) {
        tiles.push_back(joint + name);
    }
    sortCaseInsensitive(tiles, platform::CaseInsensitiveOrder());
    return tiles;
}

}  // namespace

int runRelinker(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    bool dryRun = false;
    bool optionsEnded = false;
    std::vector<std::string> operands;
    for (const std::string& argument : arguments) {
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            operands.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            out << kUsage;
            return kRelinkDone;
        } else if (argument == "--version") {
            out << "gantrel-relink " << kVersion << "\n";
            return kRelinkDone;
        } else if (argument == "--dry-run") {
            dryRun = true;
        } else {
            err << "gantrel-relink: unknown option '" << argument << "'" << kTryHelp;
            return kRelinkUsage;
        }
    }
    if (operands.size() != 3) {
        err << "gantrel-relink: " << operands.size() << " arguments given, 3 expected" << kTryHelp;
        return kRelinkUsage;
    }
    const RelinkChange change{operands[1], operands[2]};
    if (!validRelinkChange(change)) {
        err << "gantrel-relink: OLD and NEW must be two different references of one kind "
               "(.sco or .sli) or two folders ending in a backslash"
            << kTryHelp;
        return kRelinkUsage;
    }
    const std::string folder = chosenFolderPath(operands[0]);
    const std::optional<std::vector<std::string>> tiles = mapTiles(folder);
    if (!tiles) {
        platform::writeText(err, "gantrel-relink: " + folder + " is no map folder\n");
        return kRelinkFailed;
    }
    const RelinkPlan plan = planRelink(*tiles, change);
    platform::writeText(out, relinkPreviewText(plan));
    if (dryRun) {
        return plan.leftAlone.empty() ? kRelinkDone : kRelinkPartly;
    }
    const RelinkOutcome outcome = applyRelink(plan, backupFolderFor(folder));
    platform::writeText(out, "\n" + relinkReportText(plan, outcome));
    const bool writeFailed =
        outcome.backupFailed ||
        std::any_of(outcome.leftAlone.begin(), outcome.leftAlone.end(),
                    [](const TileLeftAlone& tile) { return tile.reason == "cannot be written"; });
    out.flush();
    if (writeFailed) {
        return kRelinkFailed;
    }
    return outcome.leftAlone.empty() ? kRelinkDone : kRelinkPartly;
}

}  // namespace gantrel
