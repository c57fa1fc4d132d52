// SPDX-License-Identifier: MIT
#pragma once

#include "common/window_state.h"

namespace gantrel {

/// The reference scan over the state's tile list: fills the six result lists in first-seen
/// order, tests each new reference against the installation (GameRoot of the path field),
/// logs a progress line per tile and the summary, shows the end message and cuts the path
/// field back to the maps folder. Storing that folder is left to the caller.
///
/// Tiles are read and classified on every core, but the lists, the log, the line store and
/// every error come out exactly as in a run that reads the tiles one after the other: a tile
/// that fails ends the scan with exactly what such a run had appended by then.
/// Throws Error on a tile that cannot be opened or holds a line too long to fetch.
void scanReferences(WindowState& state, UserInterface& ui);

}  // namespace gantrel
