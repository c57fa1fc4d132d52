// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/platform.h"

// The longest line a store hands out. Only a fuzzing build sets a smaller one, so that random
// inputs of a few hundred bytes reach the lines around the limit.
#ifndef GANTREL_MAX_FETCHABLE_LINE
#define GANTREL_MAX_FETCHABLE_LINE 65535
#endif

namespace gantrel {

/// The window's hidden line store (`Mema`): one tile's text as lines of UTF-16 code units.
/// A load keeps the file's bytes and decodes them only when the lines are first asked for, so
/// the scan can hand every tile through the store without paying for UTF-16 it never reads.
class LineStore {
public:
    /// Fetching a line longer than this (65,535 code units) fails with "Line too long".
    static constexpr std::size_t kMaxFetchableLine = GANTREL_MAX_FETCHABLE_LINE;

    explicit LineStore(std::u16string text = {});

    /// Empties the store.
    void clear();
    /// Replaces the content with the given text (line breaks as CR LF).
    void setText(std::u16string text);
    /// Reads the tile file and makes its text the content. Throws Error with the open error
    /// (the store then keeps its content).
    void loadTile(const std::string& path);
    /// Makes the given whole file content (mark included) the store's content. The previous
    /// bytes are handed back through `file`, so that the caller can reuse their memory.
    void assignFile(std::vector<char>& file);
    /// Makes the tile file's text the content, read only once the lines are first asked for:
    /// the scan reads its tiles a window at a time and never holds a whole one. A file that
    /// can no longer be read by then gives the empty content.
    void assignTile(const std::string& path);

    /// The number of lines: a last empty piece after the last CR LF is not a line.
    std::size_t lineCount() const;
    /// Line i without its line break. Throws OutOfResources "Line too long" when the line holds
    /// more than 65,535 code units.
    std::u16string line(std::size_t index) const;
    /// The whole content, lines separated by CR LF.
    const std::u16string& text() const;

private:
    void decode() const;
    void indexLines() const;

    mutable std::string m_pendingTile;  // the tile file to read, when its bytes are not read yet
    mutable std::vector<char> m_file;   // bytes not yet decoded
    mutable bool m_pending = false;
    mutable std::u16string m_text;
    mutable std::vector<std::size_t> m_lineStarts;
};

/// Reads a whole tile file into `file` (its capacity reused). Throws Error with the open error
/// when it cannot be read, or when its text after the mark is 2 GiB or larger; such a tile is
/// refused by its size before it is read, or as soon as it grows past the limit.
void readTileFile(platform::TileFile& tile, std::vector<char>& file);
void readTileFile(const std::string& path, std::vector<char>& file);
/// Throws the error of readTileFile() when the tile's size already says that its text after
/// the mark is 2 GiB or larger: only a file just over the limit has its first bytes read.
void refuseTooLargeTile(platform::TileFile& tile);
/// Throws the error of readTileFile() for a tile whose text turned out to be 2 GiB or larger.
[[noreturn]] void throwTileTooLarge(const platform::TileFile& tile);

}  // namespace gantrel
