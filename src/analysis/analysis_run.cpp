// SPDX-License-Identifier: MIT
#include "analysis/analysis_run.h"

#include "analysis/game_root.h"
#include "analysis/list_sort.h"
#include "analysis/reference_scan.h"
#include "platform/platform.h"

namespace gantrel {

RunEnd runAnalysis(const std::string& chosen, WindowState& state, UserInterface& ui,
                   MapsFolderStore& store)
{
    // A map reached through a link belongs to the installation it lies in, not to the one
    // the link lies in: GameRoot and the stored maps folder come from where it really is.
    const std::string folder = platform::linkTarget(chosen);
    state.path = folder;
    const std::string joint = folder + platform::separator();
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
    for (auto* list : {&state.objectFolders, &state.splineFolders, &state.objects, &state.splines,
                       &state.missingObjects, &state.missingSplines}) {
        sortCaseInsensitive(*list, order);
    }
    // Stored last, so that a settings file that cannot be written spoils nothing of the run.
    store.storeMapsFolder(state.path);
    return RunEnd::Completed;
}

}  // namespace gantrel
