// SPDX-License-Identifier: MIT
#include "analysis/reference_scan.h"

#include <optional>

#include "analysis/game_root.h"
#include "analysis/seen_set.h"
#include "analysis/tile_pipeline.h"
#include "common/error.h"
#include "platform/platform.h"

namespace gantrel {
namespace {

// The scan's seen-sets over the state's result lists, and the missing test for new references.
class ReferenceSets {
public:
    ReferenceSets(WindowState& state, std::string root)
        : objects(state.objects),
          objectFolders(state.objectFolders),
          splines(state.splines),
          splineFolders(state.splineFolders),
          missingObjects(state.missingObjects),
          missingSplines(state.missingSplines),
          m_root(std::move(root))
    {
    }

    void add(const TileReferences& references, const TileReferences::Reference& reference)
    {
        const bool object = reference.kind == ReferenceKind::Object;
        const std::string_view text = references.text(reference);
        if ((object ? objects : splines).addIfNew(text, reference.hash) && !present(text)) {
            (object ? missingObjects : missingSplines).addIfNew(text, reference.hash);
        }
        (object ? objectFolders : splineFolders)
            .addIfNew(references.folder(reference), reference.folderHash);
    }

    /// Starts fetching what add() of the reference will read first.
    void prefetch(const TileReferences::Reference& reference) const
    {
        const bool object = reference.kind == ReferenceKind::Object;
        (object ? objects : splines).prefetch(reference.hash);
        (object ? objectFolders : splineFolders).prefetch(reference.folderHash);
    }

    SeenSet objects, objectFolders, splines, splineFolders, missingObjects, missingSplines;

private:
    // GameRoot and the reference joined as plain strings.
    bool present(std::string_view reference)
    {
        m_candidate.assign(m_root).append(reference);
        return m_lookup.fileExists(m_candidate);
    }

    std::string m_root;
    std::string m_candidate;
    platform::FileLookup m_lookup;
};

}  // namespace

ScanEnd scanReferences(WindowState& state, UserInterface& ui)
{
    ReferenceSets sets(state, gameRoot(state.path));
    const std::size_t count = state.tiles.size();
    const std::string of = " of " + std::to_string(count) + " verified successfully.";
    // Why the scan stopped where the error's own text does not say it.
    std::string stopped;
    state.whereUsed.clear();
    try {
        TilePipeline pipeline(state.tiles, state.whereUsed.kept());
        for (std::size_t t = 0; t < count; ++t) {
            TilePipeline::Tile& tile = pipeline.take(t);
            if (tile.error) {
                std::rethrow_exception(tile.error);
            }
            state.lineStore.assignTile(state.tiles[t]);
            // The seen-sets outgrow the caches on a large map: fetch a few references ahead.
            constexpr std::size_t kAhead = 8;
            const std::size_t references = tile.references.size();
            for (std::size_t i = 0; i < references; ++i) {
                if (i + kAhead < references) {
                    sets.prefetch(tile.references[i + kAhead]);
                }
                sets.add(tile.references, tile.references[i]);
            }
            state.whereUsed.addTile(tile.references);
            const std::optional<std::size_t> tooLong = tile.references.tooLongLine;
            pipeline.release(t);
            if (tooLong) {
                stopped = "line " + std::to_string(*tooLong + 1) + " of tile " + state.tiles[t] +
                          " is too long.";
                throw OutOfResources("Line too long");
            }
            state.log.push_back("Tile " + std::to_string(t + 1) + of);
            ui.tileScanned(t + 1, count);
            if (ui.cancelRequested()) {
                state.log.push_back("Analysis cancelled.");
                return ScanEnd::Cancelled;
            }
        }
    } catch (const std::exception& error) {
        if (stopped.empty()) {
            // One log entry is one line: the system's text in an open error may end in a break.
            stopped = error.what();
            stopped.erase(stopped.find_last_not_of("\r\n") + 1);
        }
        state.log.push_back("Analysis stopped: " + stopped);
        throw;
    }
    const auto amount = [](const SeenSet& set) { return std::to_string(set.added()); };
    state.log.insert(state.log.end(), {"---End of analysis.", "", "RESULTS (Amount of):",
                                       "Scenery Objects: " + amount(sets.objects),
                                       "Scenery Object Folders: " + amount(sets.objectFolders),
                                       "Splines: " + amount(sets.splines),
                                       "Spline Folders: " + amount(sets.splineFolders),
                                       "Missing Objects: " + amount(sets.missingObjects),
                                       "Missing Splines: " + amount(sets.missingSplines)});
    ui.showMessage("End of analysis. Check the Activity log and other tabs for additional info.");
    state.path = mapsFolderOf(state.path);
    return ScanEnd::Completed;
}

}  // namespace gantrel
