// SPDX-License-Identifier: MIT
#include "window/relink_flow.h"

#include "platform/platform.h"

namespace gantrel::window {
namespace {

// The map folder: the folder of its tiles, without a trailing separator.
std::string mapFolderOf(const WindowState& state)
{
    const std::string& tile = state.tiles.front();
    std::size_t end = tile.size();
    while (end > 0 && !platform::isSeparator(tile[end - 1])) {
        --end;
    }
    return tile.substr(0, end > 0 ? end - 1 : 0);
}

}  // namespace

bool offersFoundElsewhere(WindowList list)
{
    return list == WindowList::MissingObjects || list == WindowList::MissingSplines;
}

std::vector<RelinkChange> relinkChoices(const FoundElsewhere& found, const std::string& entry)
{
    std::vector<RelinkChange> choices;
    for (const MovedFolder& moved : found.movedFolders) {
        if (entry.starts_with(moved.from)) {
            choices.push_back({moved.from, moved.to});
        }
    }
    for (const std::string& candidate : found.candidatesOf(entry)) {
        choices.push_back({entry, candidate});
    }
    return choices;
}

std::string foundElsewhereMenuText(const FoundElsewhere* found, bool searching)
{
    if (searching) {
        return "Still searching the installation for the missing entries.";
    }
    if (found == nullptr || (found->entries.empty() && found->unlistedFolders == 0)) {
        return found != nullptr && found->cancelled ? "The search was cancelled."
                                                    : "No missing entry was found elsewhere.";
    }
    return (found->cancelled ? "The search was cancelled; found so far:\n" : "") +
           foundElsewhereText(*found);
}

bool RelinkFlow::relink(const WindowState& state, const RelinkChange& change, RelinkFront& front)
{
    if (state.tiles.empty() || !validRelinkChange(change)) {
        return false;
    }
    const RelinkPlan plan = planRelink(state.tiles, change);
    if (!front.confirmRelink(relinkPreviewText(plan))) {
        return false;
    }
    RelinkOutcome outcome = applyRelink(plan, backupFolderFor(mapFolderOf(state)));
    front.showRelinkReport(relinkReportText(plan, outcome));
    if (outcome.relinked.empty()) {
        return false;
    }
    m_last = std::move(outcome.undo);
    return true;
}

bool RelinkFlow::undo(RelinkFront& front)
{
    if (!m_last) {
        return false;
    }
    const UndoOutcome outcome = undoRelink(*m_last);
    m_last.reset();
    front.showRelinkReport(undoReportText(outcome));
    return !outcome.restored.empty();
}

}  // namespace gantrel::window
