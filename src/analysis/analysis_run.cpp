// SPDX-License-Identifier: MIT
#include "analysis/analysis_run.h"

#include "analysis/game_root.h"
#include "analysis/list_sort.h"
#include "analysis/reference_scan.h"
#include "platform/platform.h"

namespace gantrel {
namespace {

// What the user is told instead of "Invalid map folder structure" when the folder may well be
// a map folder but cannot be read as one; empty when nothing stands in the way.
std::string problemText(const platform::FolderProblem& problem)
{
    const std::string quoted = "\"" + problem.path + "\"";
    switch (problem.kind) {
        case platform::FolderProblem::Kind::Backslash:
            return "The name of " + quoted +
                   " holds a backslash, which map paths use to separate folders";
        case platform::FolderProblem::Kind::TooLong:
            return "The path of the map folder " + quoted + " is longer than the system allows";
        case platform::FolderProblem::Kind::Unlisted:
            return "The map folder " + quoted + " cannot be listed: " + problem.reason;
        case platform::FolderProblem::Kind::None:
            break;
    }
    return {};
}

}  // namespace

RunEnd runAnalysis(const std::string& chosen, WindowState& state, UserInterface& ui,
                   MapsFolderStore& store)
{
    // A map reached through a link belongs to the installation it lies in, not to the one
    // the link lies in: GameRoot and the stored maps folder come from where it really is.
    const std::string folder = platform::linkTarget(chosen);
    state.path = folder;
    const std::string joint = folder + platform::separator();
    if (const std::string problem = problemText(platform::mapFolderProblem(folder));
        !problem.empty()) {
        ui.showMessage(problem);
        return RunEnd::NotAMapFolder;
    }
    {
        platform::FileLookup lookup;
        if (!lookup.fileExists(joint + "global.cfg") || !lookup.fileExists(joint + "ailists.cfg")) {
            // A folder the 8-bit text cannot name is no wrong folder: the error says so.
            platform::requireReachable(folder);
            ui.showMessage("Invalid map folder structure. Is this really a map folder?");
            return RunEnd::NotAMapFolder;
        }
    }
    for (auto* list : {&state.objectFolders, &state.objects, &state.splineFolders, &state.splines,
                       &state.missingObjects, &state.missingSplines, &state.tiles}) {
        list->clear();
    }
    state.whereUsed.clear();
    state.gameRoot = gameRoot(folder);
    state.lineStore.clear();
    state.log.clear();
    state.log.push_back("Loaded successfully from path " + folder);

    const platform::CaseInsensitiveOrder order;
    for (const std::string& name : platform::findTiles(folder)) {
        state.tiles.push_back(joint + name);
    }
    sortCaseInsensitive(state.tiles, order);
    if (!state.tiles.empty()) {
        const std::string count = std::to_string(state.tiles.size());
        state.log.push_back("This map contains " + count + " tiles.");
        state.tileCaption += " " + count;
    }

    if (scanReferences(state, ui) == ScanEnd::Cancelled) {
        return RunEnd::Cancelled;
    }

    ++state.logScrolls;
    state.exportButtonsVisible = true;
    std::vector<std::string>* const lists[] = {&state.objectFolders,  &state.splineFolders,
                                               &state.objects,        &state.splines,
                                               &state.missingObjects, &state.missingSplines};
    sortCaseInsensitive(lists, order);
    // Stored last, so that a settings file that cannot be written spoils nothing of the run.
    store.storeMapsFolder(state.path);
    return RunEnd::Completed;
}

}  // namespace gantrel
