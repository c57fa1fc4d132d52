// SPDX-License-Identifier: MIT
#include "analysis/relink.h"

#include <exception>

#include "analysis/line_store.h"
#include "platform/platform.h"

namespace gantrel {
namespace {

std::string fileName(const std::string& path)
{
    std::size_t start = path.size();
    while (start > 0 && !platform::isSeparator(path[start - 1])) {
        --start;
    }
    return path.substr(start);
}

std::string readWhole(const std::string& path)
{
    std::vector<char> bytes;
    readTileFile(path, bytes);
    return std::string(bytes.begin(), bytes.end());
}

void appendLeftAlone(const std::vector<TileLeftAlone>& tiles, std::string& text)
{
    for (const TileLeftAlone& tile : tiles) {
        text.append("  ").append(tile.tile).append(": ").append(tile.reason).append(1, '\n');
    }
}

std::string count(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::size_t RelinkPlan::lines() const
{
    std::size_t sum = 0;
    for (const Tile& tile : tiles) {
        sum += tile.lines;
    }
    return sum;
}

RelinkPlan planRelink(const std::vector<std::string>& tiles, const RelinkChange& change)
{
    RelinkPlan plan{change, {}, {}};
    for (const std::string& path : tiles) {
        const std::optional<platform::FileStamp> stamp = platform::fileStamp(path);
        std::string original;
        try {
            original = readWhole(path);
        } catch (const std::exception& error) {
            plan.leftAlone.push_back({path, error.what()});
            continue;
        }
        TileRewrite rewrite = rewriteTile(original, change);
        if (rewrite.refusal == RewriteRefusal::NotEncodable) {
            plan.leftAlone.push_back(
                {path, "the new text cannot be written exactly in the tile's encoding"});
        } else if (rewrite.refusal == RewriteRefusal::MalformedUtf8) {
            plan.leftAlone.push_back({path, "the tile is not well-formed UTF-8"});
        } else if (rewrite.lines > 0 && stamp) {
            plan.tiles.push_back(
                {path, std::move(original), std::move(rewrite.bytes), rewrite.lines, *stamp});
        }
    }
    return plan;
}

std::string backupFolderFor(const std::string& mapFolder)
{
    return mapFolder + ".backup-" + platform::localTimeStamp();
}

RelinkOutcome applyRelink(const RelinkPlan& plan, const std::string& backupFolder)
{
    RelinkOutcome outcome;
    outcome.leftAlone = plan.leftAlone;
    std::vector<const RelinkPlan::Tile*> writable;
    for (const RelinkPlan::Tile& tile : plan.tiles) {
        if (platform::fileStamp(tile.path) != tile.stamp) {
            outcome.leftAlone.push_back({tile.path, "changed on disk since the analysis"});
        } else if (platform::fileReadOnly(tile.path)) {
            outcome.leftAlone.push_back({tile.path, "read-only"});
        } else {
            writable.push_back(&tile);
        }
    }
    if (writable.empty()) {
        return outcome;
    }
    outcome.backupFolder = backupFolder;
    for (int attempt = 2; !platform::createFolder(outcome.backupFolder); ++attempt) {
        // Only a name taken by an earlier backup (two relinks within a second) is retried.
        if (attempt > 99 || !platform::directoryExists(outcome.backupFolder)) {
            outcome.backupFailed = true;
            return outcome;
        }
        outcome.backupFolder = backupFolder + "-" + std::to_string(attempt);
    }
    const std::string prefix = outcome.backupFolder + platform::separator();
    for (const RelinkPlan::Tile* tile : writable) {
        if (!platform::replaceFile(prefix + fileName(tile->path), tile->original)) {
            outcome.backupFailed = true;
            return outcome;
        }
    }
    for (const RelinkPlan::Tile* tile : writable) {
        if (!platform::replaceFile(tile->path, tile->relinked)) {
            outcome.leftAlone.push_back({tile->path, "cannot be written"});
            continue;
        }
        outcome.relinked.push_back(tile->path);
        outcome.lines += tile->lines;
        outcome.undo.tiles.push_back({tile->path, prefix + fileName(tile->path),
                                      platform::fileStamp(tile->path).value_or(tile->stamp)});
    }
    return outcome;
}

UndoOutcome undoRelink(const RelinkUndo& undo)
{
    UndoOutcome outcome;
    for (const RelinkUndo::Tile& tile : undo.tiles) {
        if (platform::fileStamp(tile.path) != tile.stamp) {
            outcome.leftAlone.push_back({tile.path, "changed since the relink"});
            continue;
        }
        std::string original;
        try {
            original = readWhole(tile.backup);
        } catch (const std::exception& error) {
            outcome.leftAlone.push_back({tile.path, error.what()});
            continue;
        }
        if (platform::replaceFile(tile.path, original)) {
            outcome.restored.push_back(tile.path);
        } else {
            outcome.leftAlone.push_back({tile.path, "cannot be written"});
        }
    }
    return outcome;
}

std::string relinkPreviewText(const RelinkPlan& plan)
{
    std::string text = "Relink " + plan.change.from + "\nto " + plan.change.to + "\n\n" +
                       count(plan.lines(), "line", "lines") + " in " +
                       count(plan.tiles.size(), "tile", "tiles") + " will change:\n";
    for (const RelinkPlan::Tile& tile : plan.tiles) {
        text.append("  ").append(fileName(tile.path)).append(1, '\n');
    }
    if (!plan.leftAlone.empty()) {
        text.append("Left alone:\n");
        appendLeftAlone(plan.leftAlone, text);
    }
    return text;
}

std::string relinkReportText(const RelinkPlan& plan, const RelinkOutcome& outcome)
{
    std::string text;
    if (outcome.backupFailed) {
        text = "The backup folder " + outcome.backupFolder +
               " could not be made: no tile was changed.\n";
    } else {
        text = "Relinked " + plan.change.from + " to " + plan.change.to + ": " +
               count(outcome.lines, "line", "lines") + " in " +
               count(outcome.relinked.size(), "tile", "tiles") + ".\n";
        for (const std::string& tile : outcome.relinked) {
            text.append("  ").append(fileName(tile)).append(1, '\n');
        }
        if (!outcome.backupFolder.empty()) {
            text.append("Backup: ").append(outcome.backupFolder).append(1, '\n');
        }
    }
    if (!outcome.leftAlone.empty()) {
        text.append("Left alone:\n");
        appendLeftAlone(outcome.leftAlone, text);
    }
    return text;
}

std::string undoReportText(const UndoOutcome& outcome)
{
    std::string text = "Restored " + count(outcome.restored.size(), "tile", "tiles") + ".\n";
    for (const std::string& tile : outcome.restored) {
        text.append("  ").append(fileName(tile)).append(1, '\n');
    }
    if (!outcome.leftAlone.empty()) {
        text.append("Left alone:\n");
        appendLeftAlone(outcome.leftAlone, text);
    }
    return text;
}

}  // namespace gantrel
