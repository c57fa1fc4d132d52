// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

#include "analysis/window_state.h"

namespace gantrel {

enum class ScanEnd {
    Completed,  // every tile scanned, the summary logged, the end message shown
    Cancelled,  // the interface asked to stop after a tile: "Analysis cancelled." logged
};

/// The reference scan over the state's tile list: fills the six result lists in first-seen
/// order, tests each new reference against the installation (GameRoot of the path field),
/// logs a progress line per tile and the summary, shows the end message and cuts the path
/// field back to the maps folder. Storing that folder is left to the caller. Each tile scanned
/// is appended to the state's where-used record (when it keeps one), also before an error.
///
/// Tiles are read and classified on every core, but the lists, the log, the line store and
/// every error come out exactly as in a run that reads the tiles one after the other: a tile
/// that fails ends the scan with exactly what such a run had appended by then.
/// Throws Error on a tile that cannot be opened or holds a line too long to fetch; the log's
/// last line then says that the analysis stopped and why ("line N of tile T is too long" for
/// a line too long, whose error text names neither; else the error's text without a line
/// break at its end). A cancelled scan keeps what it appended
/// and leaves the path field as it was, as an error does.
///
/// `fileExists` tells whether a path names an existing file, for the missing test; by default
/// the installation's files are looked up. It may be called from another thread than the
/// caller's, one call at a time.
using FileTest = std::function<bool(const std::string& path)>;
ScanEnd scanReferences(WindowState& state, UserInterface& ui, const FileTest& fileExists = {});

}  // namespace gantrel
