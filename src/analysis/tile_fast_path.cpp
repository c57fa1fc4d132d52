// SPDX-License-Identifier: MIT
#include "analysis/tile_fast_path.h"

#include <algorithm>
#include <bit>
#include <optional>
#include <string>

#include "analysis/reference_line.h"
#include "platform/platform.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gantrel {
namespace {

// ---- The fast path: only the lines that can be references are looked at -----------------
//
// A reference line ends in "o" or "i" right before its break, so only breaks after such a
// letter are examined, and the line start is found by looking back from there. Line lengths
// are checked between the breaks that are certain (CR, LF, the end of the text); where two
// lie further apart than a fetchable line, the tile goes the line-by-line way instead, which
// finds the exact line that is too long.

struct Masks {
    std::uint64_t breaks = 0;  // every unit that may end a line
    std::uint64_t hard = 0;    // CR, LF and NUL: breaks whatever follows
    std::uint64_t nul = 0;
    std::uint64_t lf = 0;     // LF alone, to count a CR LF as one break
    std::uint64_t tails = 0;  // "o" and "i"
};

class ByteSource {
public:
    ByteSource(std::span<const char> text, bool utf8)
        : m_p(reinterpret_cast<const unsigned char*>(text.data())), m_n(text.size()), m_utf8(utf8)
    {
    }
    std::size_t size() const { return m_n; }

    Masks masks(std::size_t first, std::size_t count) const
    {
        Masks m;
        std::size_t i = 0;
        const unsigned char* p = m_p + first;
#if defined(__SSE2__)
        const __m128i e2 = _mm_set1_epi8(m_utf8 ? static_cast<char>(0xE2) : '\r');
        for (; i + 16 <= count; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            const __m128i nul = _mm_cmpeq_epi8(v, _mm_setzero_si128());
            const __m128i hard =
                _mm_or_si128(nul, _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                               _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))));
            const __m128i tails = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('o')),
                                               _mm_cmpeq_epi8(v, _mm_set1_epi8('i')));
            const auto bits = [&](__m128i x) {
                return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(x))) << i;
            };
            m.hard |= bits(hard);
            m.nul |= bits(nul);
            m.lf |= bits(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')));
            m.breaks |= bits(_mm_or_si128(hard, _mm_cmpeq_epi8(v, e2)));
            m.tails |= bits(tails);
        }
#endif
        for (; i < count; ++i) {
            const unsigned c = p[i];
            const std::uint64_t bit = std::uint64_t{1} << i;
            if (c == '\r' || c == '\n' || c == 0) {
                m.hard |= bit;
                m.breaks |= bit;
            }
            if (c == 0) {
                m.nul |= bit;
            }
            if (c == '\n') {
                m.lf |= bit;
            }
            if (m_utf8 && c == 0xE2) {
                m.breaks |= bit;
            }
            if (c == 'o' || c == 'i') {
                m.tails |= bit;
            }
        }
        return m;
    }

    // E2 ends a line only as the first byte of U+2028.
    bool confirmBreak(std::size_t q) const
    {
        return m_p[q] != 0xE2 || (q + 2 < m_n && m_p[q + 1] == 0x80 && m_p[q + 2] == 0xA8);
    }

    /// The units of the block that end a line, NUL not counted.
    std::uint64_t lineEnds(std::size_t block, const Masks& m) const
    {
        std::uint64_t ends = m.hard & ~m.nul;
        for (std::uint64_t e2 = m.breaks & ~m.hard; e2 != 0; e2 &= e2 - 1) {
            const int bit = std::countr_zero(e2);
            if (confirmBreak(block + static_cast<std::size_t>(bit))) {
                ends |= std::uint64_t{1} << bit;
            }
        }
        return ends;
    }

    std::optional<ReferenceKind> kindBefore(std::size_t end) const
    {
        if (end < 4) {
            return std::nullopt;
        }
        const std::uint32_t tail = word(reinterpret_cast<const char*>(m_p + end - 4));
        if (tail == kObjectTail) {
            return ReferenceKind::Object;
        }
        if (tail == kSplineTail) {
            return ReferenceKind::Spline;
        }
        return std::nullopt;
    }

    // In 8-bit text every break is certain; in UTF-8 a U+2028 may still lie between the last
    // certain break and the end.
    static constexpr bool kBreaksCertain = false;
    std::size_t lineStart(std::size_t afterCertain, std::size_t end) const
    {
        if (!m_utf8) {
            return afterCertain;
        }
        std::size_t start = afterCertain;
        for (const unsigned char* e2 = m_p + afterCertain;
             (e2 = static_cast<const unsigned char*>(
                  std::memchr(e2, 0xE2, static_cast<std::size_t>(m_p + end - e2)))) != nullptr;
             ++e2) {
            const auto at = static_cast<std::size_t>(e2 - m_p);
            if (at + 2 < end && e2[1] == 0x80 && e2[2] == 0xA8) {
                start = at + 3;
            }
        }
        return start;
    }

    std::string_view narrow(std::size_t begin, std::size_t end, std::string& buffer) const
    {
        const std::string_view bytes(reinterpret_cast<const char*>(m_p + begin), end - begin);
        if (isAscii(bytes)) {
            return bytes;
        }
        buffer = narrowBytes(bytes, m_utf8);
        return buffer;
    }

private:
    const unsigned char* m_p;
    std::size_t m_n;
    bool m_utf8;
};

class Utf16Source {
public:
    Utf16Source(std::span<const char> text, bool bigEndian)
        : m_p(reinterpret_cast<const unsigned char*>(text.data())),
          m_n(text.size() / 2),
          m_high(bigEndian ? 0 : 1),
          m_bigEndian(bigEndian)
    {
    }
    std::size_t size() const { return m_n; }
    char16_t unit(std::size_t i) const
    {
        return static_cast<char16_t>((m_p[2 * i + m_high] << 8) | m_p[2 * i + (1 - m_high)]);
    }

    Masks masks(std::size_t first, std::size_t count) const
    {
        Masks m;
        std::size_t i = 0;
#if defined(__SSE2__)
        struct Hits {
            __m128i hard, nul, lf, breaks, tails;
        };
        const auto hits = [&](std::size_t at) {
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_p + 2 * at));
            if (m_bigEndian) {
                v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
            }
            Hits h;
            h.nul = _mm_cmpeq_epi16(v, _mm_setzero_si128());
            h.lf = _mm_cmpeq_epi16(v, _mm_set1_epi16('\n'));
            h.hard =
                _mm_or_si128(h.nul, _mm_or_si128(_mm_cmpeq_epi16(v, _mm_set1_epi16('\r')), h.lf));
            h.breaks = _mm_or_si128(h.hard, _mm_cmpeq_epi16(v, _mm_set1_epi16(0x2028)));
            h.tails = _mm_or_si128(_mm_cmpeq_epi16(v, _mm_set1_epi16('o')),
                                   _mm_cmpeq_epi16(v, _mm_set1_epi16('i')));
            return h;
        };
        for (; i + 16 <= count; i += 16) {
            const Hits a = hits(first + i);
            const Hits b = hits(first + i + 8);
            const auto bits = [&](__m128i x, __m128i y) {
                return static_cast<std::uint64_t>(
                           static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(x, y))))
                       << i;
            };
            m.hard |= bits(a.hard, b.hard);
            m.nul |= bits(a.nul, b.nul);
            m.lf |= bits(a.lf, b.lf);
            m.breaks |= bits(a.breaks, b.breaks);
            m.tails |= bits(a.tails, b.tails);
        }
#endif
        for (; i < count; ++i) {
            const char16_t u = unit(first + i);
            const std::uint64_t bit = std::uint64_t{1} << i;
            if (u == u'\r' || u == u'\n' || u == 0) {
                m.hard |= bit;
                m.breaks |= bit;
            }
            if (u == 0) {
                m.nul |= bit;
            }
            if (u == u'\n') {
                m.lf |= bit;
            }
            if (u == 0x2028) {
                m.breaks |= bit;
            }
            if (u == u'o' || u == u'i') {
                m.tails |= bit;
            }
        }
        return m;
    }

    bool confirmBreak(std::size_t) const
    {
        return true;
    }

    std::uint64_t lineEnds(std::size_t, const Masks& m) const
    {
        return m.breaks & ~m.nul;
    }

    std::optional<ReferenceKind> kindBefore(std::size_t end) const
    {
        if (end < 4 || unit(end - 4) != u'.' || unit(end - 3) != u's') {
            return std::nullopt;
        }
        const char16_t c = unit(end - 2);
        const char16_t o = unit(end - 1);
        if (c == u'c' && o == u'o') {
            return ReferenceKind::Object;
        }
        if (c == u'l' && o == u'i') {
            return ReferenceKind::Spline;
        }
        return std::nullopt;
    }

    static constexpr bool kBreaksCertain = true;
    std::size_t lineStart(std::size_t afterCertain, std::size_t) const
    {
        return afterCertain;
    }

    std::string_view narrow(std::size_t begin, std::size_t end, std::string& buffer) const
    {
        // Sized once and filled by index: an append a unit costs a capacity check each.
        buffer.resize(end - begin);
        char16_t high = 0;
        for (std::size_t i = begin; i < end; ++i) {
            const char16_t u = unit(i);
            high |= u;
            buffer[i - begin] = static_cast<char>(u);
        }
        if (high >= 0x80) {
            std::u16string units;
            for (std::size_t i = begin; i < end; ++i) {
                units += unit(i);
            }
            buffer = platform::utf16ToNarrow(units);
        }
        return buffer;
    }

private:
    const unsigned char* m_p;
    std::size_t m_n;
    std::size_t m_high;
    bool m_bigEndian;
};

// The set bits of a word, in a few instructions: the baseline x86-64 has no popcount, and the
// library's fallback is a call per block.
std::size_t countBits(std::uint64_t x)
{
    x -= (x >> 1) & 0x5555555555555555ULL;
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return static_cast<std::size_t>((x * 0x0101010101010101ULL) >> 56);
}

// Gives up, having added nothing that counts, when a line may be too long to fetch.
// Without kCountLines every reference is given line 0: counting the breaks costs the plain
// scan a sixth of its time, and only where-used asks for the lines.
template <bool kCountLines, class Source>
PieceEnd findReferences(const Source& source, TileReferences& out, std::size_t& firstLine)
{
    std::string buffer;
    std::size_t size = source.size();
    std::size_t afterHard = 0;      // just after the last CR, LF: where a line may start
    std::size_t afterCertain = 0;   // just after the last break known without a closer look
    std::uint64_t carry = 0;        // the previous block ended in "o" or "i"
    std::uint64_t crCarry = 0;      // the previous block ended in CR
    std::size_t lines = firstLine;  // the line breaks before the block, a CR LF counted once
    bool ended = false;             // a NUL ends the text
    const auto add = [&](std::size_t start, std::size_t end, std::size_t line) {
        if (const auto kind = source.kindBefore(end)) {
            // A line this long makes the quick way give up further on: not worth a copy.
            const std::size_t begin = source.lineStart(start, end);
            if (end - begin <= kMaxLine) {
                out.add(*kind, source.narrow(begin, end, buffer), line);
            }
        }
    };
    const auto highest = [](std::uint64_t bits) {
        return static_cast<std::size_t>(64 - std::countl_zero(bits));  // one past the highest
    };
    for (std::size_t block = 0; block < size; block += 64) {
        const std::size_t count = std::min<std::size_t>(64, size - block);
        Masks m = source.masks(block, count);
        std::uint64_t allowed = ~std::uint64_t{0};
        const bool ends = m.nul != 0;
        if (ends) {
            const int zero = std::countr_zero(m.nul);
            allowed = (std::uint64_t{1} << zero) - 1;
            m.hard &= allowed | (std::uint64_t{1} << zero);
            m.breaks &= allowed;
            size = block + static_cast<std::size_t>(zero);
        }
        const std::uint64_t certain = Source::kBreaksCertain ? m.breaks : m.hard & allowed;
        // A break counts once where it starts: an LF right after a CR does not.
        std::uint64_t counted = 0;
        if constexpr (kCountLines) {
            const std::uint64_t cr = m.hard & ~m.lf & ~m.nul;
            counted = source.lineEnds(block, m) & allowed & ~(m.lf & ((cr << 1) | crCarry));
            crCarry = cr >> 63;
        }
        std::uint64_t candidates = m.breaks & ((m.tails << 1) | carry);
        carry = m.tails >> 63;
        for (; candidates != 0; candidates &= candidates - 1) {
            const int bit = std::countr_zero(candidates);
            const std::size_t q = block + static_cast<std::size_t>(bit);
            if (source.confirmBreak(q)) {
                const std::uint64_t below = (std::uint64_t{1} << bit) - 1;
                const std::uint64_t before = certain & below;
                add(before != 0 ? block + highest(before) : afterCertain, q,
                    kCountLines ? lines + countBits(counted & below) : 0);
            }
        }
        if constexpr (kCountLines) {
            lines += countBits(counted);
        }
        if (m.hard != 0) {
            const std::size_t first = block + static_cast<std::size_t>(std::countr_zero(m.hard));
            if (first - afterHard > kMaxLine) {
                return PieceEnd::GaveUp;
            }
            afterHard = block + highest(m.hard);
        }
        if (certain != 0) {
            afterCertain = block + highest(certain);
        }
        if (ends) {
            ended = true;
            break;
        }
    }
    if (size > afterHard && size - afterHard > kMaxLine) {
        return PieceEnd::GaveUp;
    }
    add(afterCertain, size, lines);  // the last line, when no break ends it
    firstLine = lines;
    return ended ? PieceEnd::TextEnded : PieceEnd::Continues;
}

}  // namespace

PieceEnd findUtf16References(std::span<const char> text, bool bigEndian, TileReferences& out,
                             std::size_t& lines)
{
    const Utf16Source source(text, bigEndian);
    return out.countsLines() ? findReferences<true>(source, out, lines)
                             : findReferences<false>(source, out, lines);
}

PieceEnd findByteReferences(std::span<const char> text, bool utf8, TileReferences& out,
                            std::size_t& lines)
{
    const ByteSource source(text, utf8);
    return out.countsLines() ? findReferences<true>(source, out, lines)
                             : findReferences<false>(source, out, lines);
}

}  // namespace gantrel
