// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "analysis/tile_rewrite.h"
#include "platform/file_tree.h"

namespace gantrel {

/// A tile that a relink leaves as it is, and why.
struct TileLeftAlone {
    std::string tile;
    std::string reason;
};

/// What a relink would change, worked out from the tiles as they are now.
struct RelinkPlan {
    struct Tile {
        std::string path;
        std::string original;  // the whole file as read
        std::string relinked;  // the whole file as it will be
        std::size_t lines = 0;
        platform::FileStamp stamp;  // when it was read
    };
    RelinkChange change;
    std::vector<Tile> tiles;               // in the order of the tile list
    std::vector<TileLeftAlone> leftAlone;  // tiles with lines to relink that cannot be
    std::size_t lines() const;
};

/// Reads every tile and relinks it in memory. A tile that cannot be read, or whose relinked
/// text cannot be written in its encoding, is left alone with its reason.
RelinkPlan planRelink(const std::vector<std::string>& tiles, const RelinkChange& change);

/// What "Undo Last Relink" needs: every tile changed, its backup, and its stamp after the write.
struct RelinkUndo {
    struct Tile {
        std::string path;
        std::string backup;
        platform::FileStamp stamp;
    };
    std::vector<Tile> tiles;
};

struct RelinkOutcome {
    std::string backupFolder;   // empty when no tile needed one
    bool backupFailed = false;  // the backup could not be made: no tile was touched
    std::vector<std::string> relinked;
    std::size_t lines = 0;  // lines relinked
    std::vector<TileLeftAlone> leftAlone;
    RelinkUndo undo;
};

/// `<map folder>.backup-YYYYMMDD-HHMMSS` beside the map folder (no trailing separator).
std::string backupFolderFor(const std::string& mapFolder);

/// Writes the plan: first each tile that is still as read (same size and modification time)
/// and not read-only is copied into the backup folder, which is created (a "-2", "-3"... is
/// added to a name that exists); when that fails nothing else happens. Then each tile is
/// replaced in one step. Tiles that cannot be changed are left alone with their reason.
RelinkOutcome applyRelink(const RelinkPlan& plan, const std::string& backupFolder);

struct UndoOutcome {
    std::vector<std::string> restored;
    std::vector<TileLeftAlone> leftAlone;
};

/// Puts the backed-up tiles back, each in one step, except a tile changed since the relink.
UndoOutcome undoRelink(const RelinkUndo& undo);

/// The preview shown before the relink: the old and the new text, the lines and the tiles.
std::string relinkPreviewText(const RelinkPlan& plan);
/// The report after a relink: what was changed, what was not and why, where the backup is.
std::string relinkReportText(const RelinkPlan& plan, const RelinkOutcome& outcome);
std::string undoReportText(const UndoOutcome& outcome);

}  // namespace gantrel
