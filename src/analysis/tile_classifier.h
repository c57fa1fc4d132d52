// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/reported_references.h"

namespace gantrel {

enum class ReferenceKind : std::uint8_t { Object, Spline };

/// The references of one tile, in the order of their first occurrence in the tile, each once,
/// already converted to the program's 8-bit strings. Reused from tile to tile, so that a scan
/// allocates nothing per tile once the buffers have grown. While a tile is classified, the
/// occurrences that `reported` holds are dropped every few thousand, and repeats among the others
/// once they are many: a tile dense with references holds little more than its new ones.
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

    /// Empties the list for tile `tile`; the references added from now on are checked against
    /// `reported`.
    void clear(ReportedReferences& reported, std::size_t tile = 0);
    /// Adds an occurrence of a reference; only between clear() and finish().
    void add(ReferenceKind kind, std::string_view text);
    /// Keeps the first occurrence of each reference that `reported` has not had from this tile
    /// or an earlier one, records those there, and forgets `reported`, which may end before
    /// the list does.
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
    void dropRepeats(bool finishing);
    // Keeps the references from `from` on for which keep(index, reference) is true, and their
    // texts, in order.
    template <class Keep>
    void keepFrom(std::size_t from, Keep keep);

    std::string m_text;
    std::vector<Reference> m_references;
    ReportedReferences* m_reported = nullptr;
    std::size_t m_tile = 0;
    std::size_t m_checked = 0;   // the references before this one are not in `reported`
    std::size_t m_dedupeAt = 0;  // how many references make a pass over the repeats worth it
};

/// The hash the seen-sets use for a reference's 8-bit text.
std::uint64_t hashText(std::string_view text);

/// Classifies every line of a tile file (the whole file, mark included): a line whose last four
/// UTF-16 code units are exactly ".sco" is an object reference, ".sli" a spline reference; the
/// lines are those the line store yields for the same bytes. Stops at the first line that is too
/// long to fetch. Works on the raw bytes; only reference lines are converted. References that
/// `reported` holds from tile `tile` (the tile's place in the scan) or an earlier one are left
/// out; the others are recorded there for this tile. Tiles classified one after the other may
/// all pass the same number.
void classifyTile(std::span<const char> file, TileReferences& out, ReportedReferences& reported,
                  std::size_t tile = 0);

/// The same for a tile on its own: every reference of the tile is listed once.
void classifyTile(std::span<const char> file, TileReferences& out);

}  // namespace gantrel
