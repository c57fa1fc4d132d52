// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/seen_set.h"

namespace gantrel {

enum class ReferenceKind : std::uint8_t { Object, Spline };

/// The references one reader has reported on any of its tiles so far. A reader takes its tiles
/// in the tile list's order, so a reference it reported on an earlier tile can be left out of
/// a later one: the scan meets it first on that earlier tile. This keeps the scan's in-order
/// merge down to a handful of occurrences of each reference instead of one per tile.
class ReportedReferences {
public:
    /// Records the text and returns true when it had not been reported before.
    bool firstTime(std::string_view text, std::uint64_t hash) { return m_texts.insert(text, hash); }
    /// Start fetching what firstTime() of the hash will read: the slot first, later the text.
    void prefetchSlot(std::uint64_t hash) const { m_texts.prefetchSlot(hash); }
    void prefetchText(std::uint64_t hash) const { m_texts.prefetchText(hash); }

private:
    TextSet m_texts;
};

/// The references of one tile, in the order of their first occurrence in the tile, each once,
/// already converted to the program's 8-bit strings. Reused from tile to tile, so that a scan
/// allocates nothing per tile once the buffers have grown.
class TileReferences {
public:
    struct Reference {
        ReferenceKind kind;
        std::uint64_t hash;        // hashText() of the text
        std::uint64_t folderHash;  // hashText() of the folder (set by finish())
        std::size_t offset;
        std::size_t length;
        std::size_t folderLength;  // the folder: the text up to and including its last backslash
                                   // (set by finish())
    };

    /// Empties the list; the references added from now on are checked against `reported`.
    void clear(ReportedReferences& reported);
    /// Adds an occurrence of a reference; only between clear() and finish().
    void add(ReferenceKind kind, std::string_view text);
    /// Keeps the first occurrence of each reference that `reported` has not had, records those
    /// there, and forgets `reported`, which may end before the list does.
    void finish();

    std::size_t size() const { return m_references.size(); }
    const Reference& operator[](std::size_t i) const { return m_references[i]; }
    std::string_view text(const Reference& reference) const
    {
        return std::string_view(m_text).substr(reference.offset, reference.length);
    }
    std::string_view folder(const Reference& reference) const
    {
        return std::string_view(m_text).substr(reference.offset, reference.folderLength);
    }
    std::string_view text(std::size_t i) const { return text(m_references[i]); }

    /// The index of the first line longer than 65,535 code units, when the tile has one: the
    /// references above hold only those of the lines before it.
    std::optional<std::size_t> tooLongLine;

private:
    std::string m_text;
    std::vector<Reference> m_references;
    ReportedReferences* m_reported = nullptr;
};

/// The hash the seen-sets use for a reference's 8-bit text.
std::uint64_t hashText(std::string_view text);

/// Classifies every line of a tile file (the whole file, mark included): a line whose last four
/// UTF-16 code units are exactly ".sco" is an object reference, ".sli" a spline reference; the
/// lines are those the line store yields for the same bytes. Stops at the first line that is too
/// long to fetch. Works on the raw bytes; only reference lines are converted. References that
/// `reported` already holds are left out; the others are recorded there.
void classifyTile(std::span<const char> file, TileReferences& out, ReportedReferences& reported);

/// The same for a tile on its own: every reference of the tile is listed once.
void classifyTile(std::span<const char> file, TileReferences& out);

}  // namespace gantrel
