// SPDX-License-Identifier: MIT
#include "analysis/reference_scan.h"

#include <array>
#include <optional>

#include "analysis/found_present.h"
#include "analysis/game_root.h"
#include "analysis/presence_test.h"
#include "analysis/seen_set.h"
#include "analysis/text_hash.h"
#include "analysis/tile_pipeline.h"
#include "common/error.h"
#include "platform/platform.h"

namespace gantrel {
namespace {

// Thrown where the concurrent missing test failed, for the scan to run again in turn.
struct LookupFailed {};

// How the missing test runs: on a thread of its own, its answers taken tile by tile, or in
// turn with each new reference, as a scan that reads the tiles one after the other does.
enum class MissingTest { Concurrent, InTurn };

// The scan's seen-sets over the state's result lists, and the missing test for new references.
class ReferenceSets {
public:
    ReferenceSets(WindowState& state, std::string root, MissingTest test,
                  const FileTest& fileExists, FoundPresent& found)
        : objects(state.objects),
          objectFolders(state.objectFolders),
          splines(state.splines),
          splineFolders(state.splineFolders),
          missingObjects(state.missingObjects),
          missingSplines(state.missingSplines),
          m_root(std::move(root)),
          m_fileExists(fileExists)
    {
        if (!m_fileExists) {
            m_fileExists = [this](const std::string& path) { return m_lookup.fileExists(path); };
        }
        if (test == MissingTest::Concurrent) {
            m_presence.emplace(m_root, m_fileExists, &found);
        }
    }

    void add(const TileReferences& references, const TileReferences::Reference& reference)
    {
        const bool object = reference.kind == ReferenceKind::Object;
        const std::string_view text = references.text(reference);
        if ((object ? objects : splines).addIfNew(text, reference.hash)) {
            if (m_presence) {
                m_presence->ask(reference.kind, text, reference.id);
            } else if (!present(text)) {
                addMissing(reference.kind, text, reference.hash);
            }
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

    /// After each tile: sends its questions, and adds the missing ones answered so far.
    void endTile()
    {
        if (m_presence) {
            m_presence->send();
            takeAnswers(false);
        }
    }

    /// Before the scan ends, for whatever reason: adds the rest of the missing ones, so that
    /// the missing lists hold what a scan in turn would hold at this point.
    void finish()
    {
        if (m_presence) {
            m_presence->send();
            takeAnswers(true);
        }
    }

    SeenSet objects, objectFolders, splines, splineFolders, missingObjects, missingSplines;

private:
    // GameRoot and the reference joined as plain strings.
    bool present(std::string_view reference)
    {
        m_candidate.assign(m_root).append(reference);
        return m_fileExists(m_candidate);
    }

    void addMissing(ReferenceKind kind, std::string_view text, std::uint64_t hash)
    {
        (kind == ReferenceKind::Object ? missingObjects : missingSplines).addIfNew(text, hash);
    }

    void takeAnswers(bool all)
    {
        try {
            m_presence->takeAnswers(all, [this](ReferenceKind kind, std::string_view text) {
                addMissing(kind, text, hashText(text));
            });
        } catch (...) {
            throw LookupFailed();
        }
    }

    std::string m_root;
    std::string m_candidate;
    platform::FileLookup m_lookup;
    FileTest m_fileExists;
    std::optional<PresenceTest> m_presence;  // after the lookup it uses, so stopped before it
};

ScanEnd scan(WindowState& state, UserInterface& ui, MissingTest test, const FileTest& fileExists)
{
    // Before the sets, whose missing test marks it, and the readers, who read it.
    FoundPresent found(TilePipeline::reportedIds());
    ReferenceSets sets(state, gameRoot(state.path), test, fileExists, found);
    const std::size_t count = state.tiles.size();
    const std::string of = " of " + std::to_string(count) + " verified successfully.";
    // Why the scan stopped where the error's own text does not say it.
    std::string stopped;
    state.whereUsed.clear();
    try {
        TilePipeline pipeline(state.tiles, state.whereUsed.kept(),
                              state.whereUsed.keptOfPresent() ? nullptr : &found);
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
            sets.endTile();
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
                sets.finish();
                state.log.push_back("Analysis cancelled.");
                return ScanEnd::Cancelled;
            }
        }
    } catch (const LookupFailed&) {
        throw;
    } catch (const std::exception& error) {
        sets.finish();
        if (stopped.empty()) {
            // One log entry is one line: the system's text in an open error may end in a break.
            stopped = error.what();
            stopped.erase(stopped.find_last_not_of("\r\n") + 1);
        }
        state.log.push_back("Analysis stopped: " + stopped);
        throw;
    }
    sets.finish();
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

}  // namespace

ScanEnd scanReferences(WindowState& state, UserInterface& ui, const FileTest& fileExists)
{
    // A lookup that fails (a folder of the installation that cannot be listed) ends the scan at
    // the reference that needed it; the concurrent test learns of it only later. The scan then
    // forgets what it appended and runs again, testing in turn, to end exactly there.
    const std::array lists{&state.objects,       &state.objectFolders,  &state.splines,
                           &state.splineFolders, &state.missingObjects, &state.missingSplines};
    std::array<std::size_t, lists.size()> sizes{};
    for (std::size_t i = 0; i < lists.size(); ++i) {
        sizes[i] = lists[i]->size();
    }
    const std::size_t logged = state.log.size();
    try {
        return scan(state, ui, MissingTest::Concurrent, fileExists);
    } catch (const LookupFailed&) {
        for (std::size_t i = 0; i < lists.size(); ++i) {
            lists[i]->resize(sizes[i]);
        }
        state.log.resize(logged);
    }
    return scan(state, ui, MissingTest::InTurn, fileExists);
}

}  // namespace gantrel
