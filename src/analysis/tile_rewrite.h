// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace gantrel {

/// One relink: a reference becomes another, or every reference below a folder (both texts
/// ending in a backslash) moves below another folder.
struct RelinkChange {
    std::string from;
    std::string to;
    /// True when both texts are folders.
    bool folder() const;
};

/// Whether the change can be made: both references of the same kind (".sco" or ".sli") or both
/// folders, different, and free of control characters (which would break lines).
bool validRelinkChange(const RelinkChange& change);

enum class RewriteRefusal {
    None,
    NotEncodable,   // the new text holds a character the tile's encoding cannot hold exactly
    MalformedUtf8,  // a UTF-8 tile that is not well-formed: its text is not what it says
};

struct TileRewrite {
    std::string bytes;  // the relinked file, when lines > 0 and nothing was refused
    std::size_t lines = 0;
    RewriteRefusal refusal = RewriteRefusal::None;
};

/// Relinks one tile file (its whole content, mark included): every line the scan takes as a
/// reference that is `from` (or, for a folder, starts with it) gets `to` in its place. Only the
/// changed part of each such line is rewritten, in the tile's own encoding; every other byte
/// stays (the mark, the line breaks, the text after a zero character, the lines after one too
/// long to fetch). A refused tile gives no bytes.
TileRewrite rewriteTile(std::string_view file, const RelinkChange& change);

}  // namespace gantrel
