// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/found_present.h"
#include "analysis/reported_references.h"
#include "analysis/use_block.h"

namespace gantrel {

enum class ReferenceKind : std::uint8_t { Object, Spline };

/// The references of one tile, in the order of their first occurrence in the tile, each once,
/// already converted to the program's 8-bit strings. Reused from tile to tile, so that a scan
/// allocates nothing per tile once the buffers have grown. While a tile is classified, the
/// occurrences that `reported` holds are dropped, those added in place as they are looked up,
/// the others every few thousand, and repeats among the others once they are many: a tile dense
/// with references holds little more than its new ones.
///
/// Besides, every distinct reference of the tile is kept with the first line that holds it:
/// those listed carry their line, and every one that `reported` numbered, listed or left out
/// because `reported` holds it, is kept as a use under that id (but those that keepUses()'s
/// `leaveOut` marks), the uses in the order of the ids and packed in a block by the reader, so
/// that the scan's thread need neither order nor pack them.
class TileReferences {
public:
    struct Reference {
        ReferenceKind kind;
        std::uint32_t line;        // the first line of the tile that holds it, counted from 0
        std::uint64_t hash;        // hashText() of the text
        std::uint64_t folderHash;  // hashText() of the folder (set by finish())
        // Among the tile's texts, below 4 GiB: a tile holds less than 2 GiB of text, and a
        // unit of it narrows to at most three bytes. 40 bytes a reference instead of 64.
        std::uint32_t offset;
        std::uint32_t length;
        std::uint32_t folderLength;  // the folder: the text up to and including its last
                                     // backslash (set by finish())
        // The id `reported` gave it (set by finish()); ReportedReferences::kNoId when the record
        // is full or serves this tile alone.
        std::uint32_t id;
    };
    /// A reference left out of the list, by its id in `reported`, and the first line that
    /// holds it in the tile.
    using Use = NumberedUse;

    /// Whether the tile's uses are kept: the first line of each reference, and the references
    /// left out (the default). Only where-used reads them; without, every line is 0 and no
    /// reference is left out as a use. With `leaveOut`, the uses of the ids it has marked are
    /// not kept either, where only the missing references' uses are asked for. Kept by clear().
    void keepUses(bool kept, const FoundPresent* leaveOut = nullptr)
    {
        m_keepUses = kept;
        m_leaveOut = leaveOut;
    }
    bool countsLines() const { return m_keepUses; }

    /// Empties the list for tile `tile`; the references added from now on are checked against
    /// `reported`. The ids of a record that serves one tile alone (`shared` false) name nothing
    /// beyond it: they are not kept.
    void clear(ReportedReferences& reported, std::size_t tile = 0, bool shared = true);
    /// Adds an occurrence of a reference on line `line` (counted from 0); only between clear()
    /// and finish(), in ascending order of lines.
    void add(ReferenceKind kind, std::string_view text, std::size_t line);
    /// The same for a text that stays where it is until endPiece(): it is looked up in
    /// `reported` a few occurrences later, once its place there has been fetched, and copied
    /// only when `reported` does not hold it, as few are after the first tiles.
    void addInPlace(ReferenceKind kind, std::string_view text, std::size_t line);
    /// Deals with the occurrences added in place: their texts are about to go.
    void endPiece();
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
    /// Every reference of the tile that `reported` numbered, listed or left out, each once with
    /// the first line that holds it, in ascending order of the ids; kept only with keepUses(),
    /// and without the ids its `leaveOut` marks.
    /// The where-used record takes the block over.
    UseBlock& uses() { return m_block; }

    /// The index of the first line longer than 65,535 code units, when the tile has one: the
    /// references above hold only those of the lines before it.
    std::optional<std::size_t> tooLongLine;

private:
    // An occurrence added in place, not yet looked up.
    struct Pending {
        ReferenceKind kind;
        std::uint32_t line;
        std::uint64_t hash;
        std::string_view text;
    };
    // Occurrences looked up as many later as the look-ups' fetches need to overlap.
    static constexpr std::size_t kPending = 16;

    void keep(ReferenceKind kind, std::string_view text, std::size_t line, std::uint64_t hash);
    void settle(const Pending& occurrence);
    // Keeps a use of the id on the line, unless uses are not kept or the id's are left out.
    // Inline: the plain scan calls it for nearly every occurrence.
    void keepUse(std::vector<Use>& uses, std::uint32_t id, std::uint32_t line)
    {
        if (!m_keepUses || (m_leaveOut != nullptr && m_shared && m_leaveOut->has(id))) {
            return;
        }
        uses.push_back(Use{id, line});
        m_highestId = std::max(m_highestId, id);
    }
    // Settles the ring's first occurrence and moves the ring on past it.
    void settleFirst();
    void dropRepeats(bool finishing);
    // Keeps the references from `from` on for which keep(index, reference) is true, and their
    // texts, in order.
    template <class Keep>
    void keepFrom(std::size_t from, Keep keep);

    // Makes the block of the uses and the dropped occurrences, each id once with its first
    // occurrence, in the order of their ids.
    void orderUses();

    std::string m_text;
    std::vector<Reference> m_references;
    std::vector<Use> m_uses;
    // Every occurrence left out as reported: those of a reference in the tile's order, but a
    // listed one that a later look-up leaves out may come after later ones.
    std::vector<Use> m_dropped;
    UseBlock m_block;                     // made from the uses and the dropped occurrences
    std::vector<std::uint64_t> m_seen;    // a bit per id, set only while orderUses() runs
    std::vector<std::uint32_t> m_lineOf;  // by id: the line of a use whose bit is set
    std::uint32_t m_highestId = 0;        // of the uses and the dropped occurrences
    ReportedReferences* m_reported = nullptr;
    bool m_shared = true;
    bool m_keepUses = true;
    const FoundPresent* m_leaveOut = nullptr;
    std::size_t m_tile = 0;
    std::array<Pending, kPending> m_pending{};  // a ring, from m_firstPending on
    std::size_t m_firstPending = 0;
    std::size_t m_pendingCount = 0;
    std::size_t m_checked = 0;   // the references before this one are not in `reported`
    std::size_t m_dedupeAt = 0;  // how many references make a pass over the repeats worth it
};

}  // namespace gantrel
