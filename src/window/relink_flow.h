// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/found_elsewhere.h"
#include "analysis/relink.h"
#include "analysis/window_state.h"
#include "window/window_design.h"

namespace gantrel::window {

/// What a relink asks of the window, through its dialogs.
class RelinkFront {
public:
    virtual ~RelinkFront() = default;
    /// Shows what will change before anything is written; true when the user confirms.
    virtual bool confirmRelink(const std::string& preview) = 0;
    /// Shows the report of a relink or an undo.
    virtual void showRelinkReport(const std::string& report) = 0;
};

/// The items the missing lists' menu adds below the others, and the Where Used part's caption.
inline constexpr const char* kFoundElsewhereItem = "Found Elsewhere...";
inline constexpr const char* kCancelSearchItem = "Cancel Search";
inline constexpr const char* kUndoRelinkItem = "Undo Last Relink";
/// The Where Used dialog's part for a missing entry: its caption, its button, and the note
/// above its list while there is nothing to offer.
inline constexpr const char* kFoundElsewhereCaption = "Found elsewhere";
inline constexpr const char* kRelinkButton = "Relink...";
inline constexpr const char* kSearchingNote = "Searching the installation...";
inline constexpr const char* kFoundNowhereNote = "Found nowhere else.";

/// The log's line while the search runs after a completed run, the window's sign that it is
/// searching.
inline constexpr const char* kSearchingLogLine =
    "Searching the installation for the missing objects and splines...";

/// True for the two missing lists, whose entries are looked for elsewhere.
bool offersFoundElsewhere(WindowList list);

/// The relinks a missing entry offers in its Where Used dialog: the folder moves that hold it,
/// then one to each candidate, best first.
std::vector<RelinkChange> relinkChoices(const FoundElsewhere& found, const std::string& entry);

/// A relink as the Where Used dialog's part lists it: a folder move shows both folders, a single
/// file the file found.
std::string relinkChoiceText(const RelinkChange& choice);

/// The log's line once the search has ended: how many of the `missing` entries it found
/// elsewhere and in how many moved folders, or that it was cancelled.
std::string searchEndLogLine(const FoundElsewhere& found, std::size_t missing);

/// The text of "Found Elsewhere...": every moved folder and every single file found, or why
/// there is nothing to show.
std::string foundElsewhereMenuText(const FoundElsewhere* found, bool searching);

/// Relinks and the undo of the last one, for one program run.
class RelinkFlow {
public:
    /// "Relink...": works out the change on the state's tiles, shows the preview and, when the
    /// user confirms it, makes it and shows the report. True when some tile was changed, so
    /// that the map is analysed again.
    bool relink(const WindowState& state, const RelinkChange& change, RelinkFront& front);
    /// "Undo Last Relink": puts back the tiles of the last relink, except those changed since;
    /// true when some tile was restored. Nothing when there is none to undo.
    bool undo(RelinkFront& front);
    bool canUndo() const { return m_last.has_value(); }

private:
    std::optional<RelinkUndo> m_last;
};

}  // namespace gantrel::window
