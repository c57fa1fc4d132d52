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

std::string relinkChoiceText(const RelinkChange& choice)
{
    return choice.folder() ? choice.from + " " + platform::utf8ToNarrow("\u2192") + " " + choice.to
                           : choice.to;
}

std::string searchEndLogLine(const FoundElsewhere& found, std::size_t missing)
{
    std::string line = found.cancelled ? "Search cancelled: " : "Search ended: ";
    line += std::to_string(found.entries.size()) + " of " + std::to_string(missing) +
            " missing found elsewhere";
    if (!found.movedFolders.empty()) {
        line += ", " + std::to_string(found.movedFolders.size()) +
                (found.movedFolders.size() == 1 ? " moved folder" : " moved folders");
    }
    if (found.unlistedFolders > 0) {
        line += ", " + std::to_string(found.unlistedFolders) +
                (found.unlistedFolders == 1 ? " folder" : " folders") + " could not be listed";
    }
    return line + (found.entries.empty() ? "." : " (Found Elsewhere... in their list's menu).");
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
