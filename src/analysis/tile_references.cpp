// SPDX-License-Identifier: MIT
#include "analysis/tile_references.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "analysis/seen_set.h"
#include "analysis/text_hash.h"

namespace gantrel {
namespace {

// Occurrences checked against the reported references at a time: enough for the lookups'
// fetches ahead to overlap, few enough to stay in the nearer caches.
constexpr std::size_t kCheckedTogether = 4096;
// References kept before a pass drops the repeats among them: few enough that a very large
// tile, with references repeated all over it, holds little more than its distinct ones.
constexpr std::size_t kFirstDedupe = 8192;
// The set of reported references is larger than the nearer caches: a lookup's slot is fetched
// a few references ahead, and its text, found through the slot, half as many, so that the
// misses of several lookups overlap.
constexpr std::size_t kAhead = 16;

}  // namespace

void TileReferences::clear(ReportedReferences& reported, std::size_t tile, bool shared)
{
    tooLongLine.reset();
    m_text.clear();
    m_references.clear();
    m_uses.clear();
    m_dropped.clear();
    m_block = UseBlock();
    m_highestId = 0;
    m_reported = &reported;
    m_shared = shared;
    m_tile = tile;
    m_firstPending = 0;
    m_pendingCount = 0;
    m_checked = 0;
    m_dedupeAt = kFirstDedupe;
}

void TileReferences::add(ReferenceKind kind, std::string_view text, std::size_t line)
{
    endPiece();  // the occurrences stay in the tile's order
    keep(kind, text, line, hashText(text));
}

void TileReferences::addInPlace(ReferenceKind kind, std::string_view text, std::size_t line)
{
    const std::uint64_t hash = hashText(text);
    m_reported->prefetchSlot(hash);
    if (m_pendingCount == kPending) {
        settleFirst();
    }
    // The text's place is known once the slot is in: half as many occurrences later.
    if (m_pendingCount >= kPending / 2) {
        m_reported->prefetchText(
            m_pending[(m_firstPending + m_pendingCount - kPending / 2) % kPending].hash);
    }
    m_pending[(m_firstPending + m_pendingCount) % kPending] =
        Pending{kind, static_cast<std::uint32_t>(line), hash, text};
    ++m_pendingCount;
}

void TileReferences::endPiece()
{
    while (m_pendingCount > 0) {
        settleFirst();
    }
}

void TileReferences::settleFirst()
{
    settle(m_pending[m_firstPending]);
    m_firstPending = (m_firstPending + 1) % kPending;
    --m_pendingCount;
}

void TileReferences::settle(const Pending& occurrence)
{
    std::uint32_t id = ReportedReferences::kNoId;
    if (m_reported->reportedBy(occurrence.text, occurrence.hash, m_tile, id)) {
        keepUse(m_dropped, id, occurrence.line);
        return;
    }
    keep(occurrence.kind, occurrence.text, occurrence.line, occurrence.hash);
}

void TileReferences::keep(ReferenceKind kind, std::string_view text, std::size_t line,
                          std::uint64_t hash)
{
    m_references.push_back(Reference{
        kind, static_cast<std::uint32_t>(line), hash, 0, static_cast<std::uint32_t>(m_text.size()),
        static_cast<std::uint32_t>(text.size()), 0, ReportedReferences::kNoId});
    m_text.append(text);
    if (m_references.size() - m_checked >= kCheckedTogether) {
        dropRepeats(false);
    }
}

template <class Keep>
void TileReferences::keepFrom(std::size_t from, Keep keep)
{
    // Texts lie in the order of their references, so each kept one moves towards the front
    // without touching a text still to be looked at.
    const std::size_t count = m_references.size();
    std::size_t kept = from;
    std::size_t write =
        from == 0 ? 0 : m_references[from - 1].offset + m_references[from - 1].length;
    // Most references looked at are left out: one is copied, and its text moved, only when kept
    // and where something before it was left out.
    for (std::size_t i = from; i < count; ++i) {
        const Reference& reference = m_references[i];
        if (!keep(i, reference)) {
            continue;
        }
        if (kept != i) {
            Reference moved = reference;
            std::memmove(m_text.data() + write, m_text.data() + moved.offset, moved.length);
            moved.offset = static_cast<std::uint32_t>(write);
            m_references[kept] = moved;
        }
        write += reference.length;
        ++kept;
    }
    m_references.resize(kept);
    m_text.resize(write);
}

void TileReferences::dropRepeats(bool finishing)
{
    // Only looked up here, not recorded: a tile that takes the line-by-line way after all
    // starts afresh, and must find `reported` as it was.
    const std::size_t count = m_references.size();
    keepFrom(m_checked, [&](std::size_t i, const Reference& reference) {
        if (i + kAhead < count) {
            m_reported->prefetchSlot(m_references[i + kAhead].hash);
        }
        if (i + kAhead / 2 < count) {
            m_reported->prefetchText(m_references[i + kAhead / 2].hash);
        }
        std::uint32_t id = ReportedReferences::kNoId;
        if (!m_reported->reportedBy(text(reference), reference.hash, m_tile, id)) {
            return true;
        }
        keepUse(m_dropped, id, reference.line);
        return false;
    });
    if (finishing || m_references.size() >= m_dedupeAt) {
        TextSet seen;
        keepFrom(0, [&](std::size_t, const Reference& reference) {
            return seen.insert(text(reference), reference.hash);
        });
        m_dedupeAt = std::max(m_dedupeAt, 2 * m_references.size());
    }
    m_checked = m_references.size();
}

void TileReferences::finish()
{
    endPiece();
    // Repeats of references new to the record are dropped here, in one pass, also those that
    // a full record would let through.
    dropRepeats(true);
    const std::size_t count = m_references.size();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (i + kAhead < count) {
            m_reported->prefetchSlot(m_references[i + kAhead].hash);
        }
        if (i + kAhead / 2 < count) {
            m_reported->prefetchText(m_references[i + kAhead / 2].hash);
        }
        Reference reference = m_references[i];
        const std::string_view referenceText = text(reference);
        if (!m_reported->report(referenceText, reference.hash, m_tile, reference.id)) {
            keepUse(m_uses, reference.id, reference.line);
            continue;
        }
        if (!m_shared) {
            reference.id = ReportedReferences::kNoId;
        } else if (reference.id != ReportedReferences::kNoId) {
            keepUse(m_uses, reference.id, reference.line);
        }
        const std::size_t slash = referenceText.rfind('\\');
        reference.folderLength =
            slash == std::string_view::npos ? 0 : static_cast<std::uint32_t>(slash + 1);
        reference.folderHash = hashText(referenceText.substr(0, reference.folderLength));
        m_references[kept++] = reference;
    }
    m_references.resize(kept);
    m_reported = nullptr;
    orderUses();
}

void TileReferences::orderUses()
{
    // Every occurrence left out, and the first listed one, of each id is here; the lowest of
    // their lines is the id's first. (Mostly the first here: an occurrence is left out as
    // reported only once an earlier tile has reported it, and then so is every later one, but
    // a listed occurrence may be looked up again later, and left out after those that came
    // after it.) The ids are set in a bit each, and each one's line put at its place in a
    // table by id: the block reads them in order from there.
    if (m_uses.empty() && m_dropped.empty()) {
        return;
    }
    const std::size_t words = m_highestId / 64 + 1;
    if (words > m_seen.size()) {
        m_seen.resize(words);
        m_lineOf.resize(words * 64);
    }
    std::size_t lowest = words;
    std::uint32_t count = 0;
    std::uint32_t highestLine = 0;
    const auto put = [&](const Use& use) {
        std::uint64_t& word = m_seen[use.id / 64];
        const std::uint64_t bit = std::uint64_t{1} << (use.id % 64);
        if ((word & bit) == 0) {
            word |= bit;
            m_lineOf[use.id] = use.line;
            ++count;
            lowest = std::min<std::size_t>(lowest, use.id / 64);
        } else {
            m_lineOf[use.id] = std::min(m_lineOf[use.id], use.line);
        }
    };
    for (const Use& use : m_uses) {
        put(use);
    }
    for (const Use& use : m_dropped) {
        put(use);
    }
    for (const std::vector<Use>* uses : {&m_uses, &m_dropped}) {
        for (const Use& use : *uses) {
            highestLine = std::max(highestLine, m_lineOf[use.id]);
        }
    }
    const std::span<std::uint64_t> seen(m_seen.data(), words);
    m_block.assign(seen, lowest, m_lineOf, count, highestLine);
    std::fill(seen.begin() + static_cast<std::ptrdiff_t>(lowest), seen.end(), 0);
}

}  // namespace gantrel
