// SPDX-License-Identifier: MIT
#include "analysis/tile_classifier.h"

#include <cstring>

#include "analysis/line_store.h"
#include "analysis/seen_set.h"
#include "analysis/tile_decoder.h"
#include "platform/platform.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gantrel {
namespace {

constexpr std::size_t kMaxLine = LineStore::kMaxFetchableLine;

bool isAscii(std::string_view bytes)
{
    std::size_t i = 0;
    std::uint64_t high = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, sizeof word);
        high |= word;
    }
    for (; i < bytes.size(); ++i) {
        high |= static_cast<unsigned char>(bytes[i]);
    }
    return (high & 0x8080808080808080ULL) == 0;
}

// A reference line that is not plain ASCII, as the program's 8-bit string.
std::string narrowBytes(std::string_view bytes, bool utf8)
{
    if (!utf8) {
        return platform::codePageToNarrow(bytes);
    }
    const std::span<const char> text(bytes.data(), bytes.size());
    return isWellFormedUtf8(text) ? platform::utf8ToNarrow(bytes)
                                  : platform::utf16ToNarrow(decodeUtf8(text));
}

// ---- Tiles whose line breaks are single bytes: 8-bit text and UTF-8 ----------------------

// The bytes that may end a line: CR, LF, NUL (the end of the text) and, in UTF-8, the first
// byte E2 of U+2028 (E2 80 A8), which is confirmed by the caller. A lead byte E2 always starts
// a sequence of its own, so the bytes after a break never belong to the line before it.
std::uint64_t candidateMask(const char* p, std::size_t n, bool utf8)
{
    std::uint64_t mask = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i nul = _mm_setzero_si128();
    const __m128i e2 = _mm_set1_epi8(utf8 ? static_cast<char>(0xE2) : '\n');
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i hit =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)),
                         _mm_or_si128(_mm_cmpeq_epi8(v, nul), _mm_cmpeq_epi8(v, e2)));
        mask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(hit))) << i;
    }
#endif
    for (; i < n; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (c == '\r' || c == '\n' || c == 0 || (utf8 && c == 0xE2)) {
            mask |= std::uint64_t{1} << i;
        }
    }
    return mask;
}

std::uint32_t word(const char* p)
{
    std::uint32_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

const std::uint32_t kObjectTail = word(".sco");
const std::uint32_t kSplineTail = word(".sli");

class ByteLines {
public:
    ByteLines(bool utf8, TileReferences& out) : m_utf8(utf8), m_out(out) {}

    void classify(const char* text, std::size_t size)
    {
        const char* const end = text + size;
        const char* lineStart = text;
        const char* resume = text;  // bytes before this belong to a break already taken
        for (const char* block = text; block < end; block += 64) {
            const auto n = static_cast<std::size_t>(std::min<std::ptrdiff_t>(64, end - block));
            for (std::uint64_t mask = candidateMask(block, n, m_utf8); mask != 0;
                 mask &= mask - 1) {
                const char* q = block + __builtin_ctzll(mask);
                if (q < resume) {
                    continue;
                }
                const auto c = static_cast<unsigned char>(*q);
                std::size_t breakLength = 1;
                if (c == 0) {
                    if (q != lineStart) {
                        line(lineStart, q);
                    }
                    return;
                }
                if (c == 0xE2) {
                    if (end - q < 3 || static_cast<unsigned char>(q[1]) != 0x80 ||
                        static_cast<unsigned char>(q[2]) != 0xA8) {
                        continue;
                    }
                    breakLength = 3;
                } else if (c == '\r' && q + 1 < end && q[1] == '\n') {
                    breakLength = 2;
                }
                if (!line(lineStart, q)) {
                    return;
                }
                lineStart = resume = q + breakLength;
            }
        }
        if (lineStart < end) {
            line(lineStart, end);
        }
    }

private:
    // Returns false once a line is too long to fetch: the scan stops there.
    bool line(const char* begin, const char* end)
    {
        const auto length = static_cast<std::size_t>(end - begin);
        if (tooLong(begin, length)) {
            m_out.tooLongLine = m_index;
            return false;
        }
        ++m_index;
        if (length >= 4) {
            const std::uint32_t tail = word(end - 4);
            if (tail == kObjectTail) {
                m_out.add(ReferenceKind::Object, narrow(begin, length), m_index - 1);
            } else if (tail == kSplineTail) {
                m_out.add(ReferenceKind::Spline, narrow(begin, length), m_index - 1);
            }
        }
        return true;
    }

    // UTF-8 gives at least one code unit for every three bytes and never more units than
    // bytes, so only lines in between are measured.
    bool tooLong(const char* begin, std::size_t length) const
    {
        if (length <= kMaxLine) {
            return false;
        }
        return !m_utf8 || length > 3 * kMaxLine || decodeUtf8({begin, length}).size() > kMaxLine;
    }

    std::string_view narrow(const char* begin, std::size_t length)
    {
        const std::string_view bytes(begin, length);
        if (isAscii(bytes)) {
            return bytes;
        }
        m_converted = narrowBytes(bytes, m_utf8);
        return m_converted;
    }

    bool m_utf8;
    TileReferences& m_out;
    std::size_t m_index = 0;
    std::string m_converted;
};

// ---- Tiles read as UTF-16 code units -----------------------------------------------------

// Lines of code units, which come from the bytes of a UTF-16 file in either order or from the
// text of a code page with several bytes a character.
class UnitLines {
public:
    explicit UnitLines(TileReferences& out) : m_out(out) {}

    template <class UnitAt, class MaskAt>
    void classify(std::size_t count, UnitAt unitAt, MaskAt candidates)
    {
        std::size_t lineStart = 0;
        std::size_t resume = 0;
        for (std::size_t block = 0; block < count; block += 64) {
            for (std::uint64_t mask = candidates(block, std::min<std::size_t>(64, count - block));
                 mask != 0; mask &= mask - 1) {
                const std::size_t q = block + static_cast<std::size_t>(__builtin_ctzll(mask));
                if (q < resume) {
                    continue;
                }
                const char16_t unit = unitAt(q);
                if (unit == 0) {
                    if (q != lineStart) {
                        line(unitAt, lineStart, q);
                    }
                    return;
                }
                const std::size_t breakLength =
                    unit == u'\r' && q + 1 < count && unitAt(q + 1) == u'\n' ? 2 : 1;
                if (!line(unitAt, lineStart, q)) {
                    return;
                }
                lineStart = resume = q + breakLength;
            }
        }
        if (lineStart < count) {
            line(unitAt, lineStart, count);
        }
    }

private:
    template <class UnitAt>
    bool line(UnitAt unitAt, std::size_t begin, std::size_t end)
    {
        if (end - begin > kMaxLine) {
            m_out.tooLongLine = m_index;
            return false;
        }
        ++m_index;
        if (end - begin < 4 || unitAt(end - 4) != u'.' || unitAt(end - 3) != u's') {
            return true;
        }
        const char16_t c = unitAt(end - 2);
        const char16_t o = unitAt(end - 1);
        const bool object = c == u'c' && o == u'o';
        if (!object && !(c == u'l' && o == u'i')) {
            return true;
        }
        m_narrow.clear();
        char16_t high = 0;
        for (std::size_t i = begin; i < end; ++i) {
            const char16_t unit = unitAt(i);
            high |= unit;
            m_narrow += static_cast<char>(unit);
        }
        if (high >= 0x80) {
            m_units.clear();
            for (std::size_t i = begin; i < end; ++i) {
                m_units += unitAt(i);
            }
            m_narrow = platform::utf16ToNarrow(m_units);
        }
        m_out.add(object ? ReferenceKind::Object : ReferenceKind::Spline, m_narrow, m_index - 1);
        return true;
    }

    TileReferences& m_out;
    std::size_t m_index = 0;
    std::string m_narrow;
    std::u16string m_units;
};

bool isCandidateUnit(char16_t unit)
{
    return unit == u'\r' || unit == u'\n' || unit == 0 || unit == 0x2028;
}

void classifyUtf16(std::span<const char> text, bool bigEndian, TileReferences& out)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t high = bigEndian ? 0 : 1;
    const auto unitAt = [bytes, high](std::size_t i) {
        return static_cast<char16_t>((bytes[2 * i + high] << 8) | bytes[2 * i + (1 - high)]);
    };
    const auto candidates = [&](std::size_t first, std::size_t n) {
        std::uint64_t mask = 0;
        std::size_t i = 0;
#if defined(__SSE2__)
        // Compare eight units a vector; a big-endian file's bytes are swapped in the register.
        const auto hits = [&](std::size_t at) {
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 2 * at));
            if (bigEndian) {
                v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
            }
            return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, _mm_set1_epi16('\r')),
                                             _mm_cmpeq_epi16(v, _mm_set1_epi16('\n'))),
                                _mm_or_si128(_mm_cmpeq_epi16(v, _mm_setzero_si128()),
                                             _mm_cmpeq_epi16(v, _mm_set1_epi16(0x2028))));
        };
        for (; i + 16 <= n; i += 16) {
            const __m128i packed = _mm_packs_epi16(hits(first + i), hits(first + i + 8));
            mask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(packed)))
                    << i;
        }
#endif
        for (; i < n; ++i) {
            if (isCandidateUnit(unitAt(first + i))) {
                mask |= std::uint64_t{1} << i;
            }
        }
        return mask;
    };
    UnitLines(out).classify(text.size() / 2, unitAt, candidates);
}

void classifyDecoded(const std::u16string& units, TileReferences& out)
{
    const auto unitAt = [&units](std::size_t i) { return units[i]; };
    const auto candidates = [&](std::size_t first, std::size_t n) {
        std::uint64_t mask = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (isCandidateUnit(units[first + i])) {
                mask |= std::uint64_t{1} << i;
            }
        }
        return mask;
    };
    UnitLines(out).classify(units.size(), unitAt, candidates);
}

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
            const int bit = __builtin_ctzll(e2);
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
        buffer.clear();
        char16_t high = 0;
        for (std::size_t i = begin; i < end; ++i) {
            const char16_t u = unit(i);
            high |= u;
            buffer += static_cast<char>(u);
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

// Returns false, having added nothing that counts, when a line may be too long to fetch.
template <class Source>
bool findReferences(const Source& source, TileReferences& out)
{
    std::string buffer;
    std::size_t size = source.size();
    std::size_t afterHard = 0;     // just after the last CR, LF: where a line may start
    std::size_t afterCertain = 0;  // just after the last break known without a closer look
    std::uint64_t carry = 0;       // the previous block ended in "o" or "i"
    std::uint64_t crCarry = 0;     // the previous block ended in CR
    std::size_t lines = 0;         // the line breaks before the block, a CR LF counted once
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
        return static_cast<std::size_t>(64 - __builtin_clzll(bits));  // one past the highest
    };
    for (std::size_t block = 0; block < size; block += 64) {
        const std::size_t count = std::min<std::size_t>(64, size - block);
        Masks m = source.masks(block, count);
        std::uint64_t allowed = ~std::uint64_t{0};
        const bool ends = m.nul != 0;
        if (ends) {
            const int zero = __builtin_ctzll(m.nul);
            allowed = (std::uint64_t{1} << zero) - 1;
            m.hard &= allowed | (std::uint64_t{1} << zero);
            m.breaks &= allowed;
            size = block + static_cast<std::size_t>(zero);
        }
        const std::uint64_t certain = Source::kBreaksCertain ? m.breaks : m.hard & allowed;
        // A break counts once where it starts: an LF right after a CR does not.
        const std::uint64_t cr = m.hard & ~m.lf & ~m.nul;
        const std::uint64_t counted =
            source.lineEnds(block, m) & allowed & ~(m.lf & ((cr << 1) | crCarry));
        crCarry = cr >> 63;
        std::uint64_t candidates = m.breaks & ((m.tails << 1) | carry);
        carry = m.tails >> 63;
        for (; candidates != 0; candidates &= candidates - 1) {
            const int bit = __builtin_ctzll(candidates);
            const std::size_t q = block + static_cast<std::size_t>(bit);
            if (source.confirmBreak(q)) {
                const std::uint64_t below = (std::uint64_t{1} << bit) - 1;
                const std::uint64_t before = certain & below;
                add(before != 0 ? block + highest(before) : afterCertain, q,
                    lines + countBits(counted & below));
            }
        }
        lines += countBits(counted);
        if (m.hard != 0) {
            const std::size_t first = block + static_cast<std::size_t>(__builtin_ctzll(m.hard));
            if (first - afterHard > kMaxLine) {
                return false;
            }
            afterHard = block + highest(m.hard);
        }
        if (certain != 0) {
            afterCertain = block + highest(certain);
        }
        if (ends) {
            break;
        }
    }
    if (size > afterHard && size - afterHard > kMaxLine) {
        return false;
    }
    add(afterCertain, size, lines);  // the last line, when no break ends it
    return true;
}

}  // namespace

std::uint64_t hashText(std::string_view text)
{
    // Eight bytes a step with a strong final mix: references are short paths, hashed twice
    // each (text and folder) on every tile they occur in.
    std::uint64_t h = 0x9E3779B97F4A7C15ULL ^ text.size();
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, text.data() + i, sizeof w);
        h = (h ^ w) * 0xFF51AFD7ED558CCDULL;
        h ^= h >> 32;
    }
    if (i < text.size()) {
        // The last eight bytes, overlapping the words before; shorter texts byte by byte.
        std::uint64_t w = 0;
        if (text.size() >= 8) {
            std::memcpy(&w, text.data() + text.size() - 8, sizeof w);
        } else {
            for (; i < text.size(); ++i) {
                w = (w << 8) | static_cast<unsigned char>(text[i]);
            }
        }
        h = (h ^ w) * 0xFF51AFD7ED558CCDULL;
    }
    h ^= h >> 29;
    h *= 0xC4CEB9FE1A85EC53ULL;
    return h ^ (h >> 32);
}

namespace {

// Occurrences checked against the reported references at a time: enough for the lookups'
// fetches ahead to overlap, few enough to stay in the nearer caches.
constexpr std::size_t kCheckedTogether = 4096;
// References kept before a pass drops the repeats among them.
constexpr std::size_t kFirstDedupe = 65536;
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
    m_highestId = 0;
    m_reported = &reported;
    m_shared = shared;
    m_tile = tile;
    m_checked = 0;
    m_dedupeAt = kFirstDedupe;
}

void TileReferences::add(ReferenceKind kind, std::string_view text, std::size_t line)
{
    m_references.push_back(Reference{kind, static_cast<std::uint32_t>(line), hashText(text), 0,
                                     m_text.size(), text.size(), 0, ReportedReferences::kNoId});
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
    for (std::size_t i = from; i < count; ++i) {
        Reference reference = m_references[i];
        if (!keep(i, reference)) {
            continue;
        }
        std::memmove(m_text.data() + write, m_text.data() + reference.offset, reference.length);
        reference.offset = write;
        write += reference.length;
        m_references[kept++] = reference;
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
        m_dropped.push_back(Use{id, reference.line});
        m_highestId = std::max(m_highestId, id);
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
            m_uses.push_back(Use{reference.id, reference.line});
            m_highestId = std::max(m_highestId, reference.id);
            continue;
        }
        if (!m_shared) {
            reference.id = ReportedReferences::kNoId;
        }
        const std::size_t slash = referenceText.rfind('\\');
        reference.folderLength = slash == std::string_view::npos ? 0 : slash + 1;
        reference.folderHash = hashText(referenceText.substr(0, reference.folderLength));
        m_references[kept++] = reference;
    }
    m_references.resize(kept);
    m_reported = nullptr;
    addDroppedUses();
}

void TileReferences::addDroppedUses()
{
    // An occurrence is left out as reported only once an earlier tile has reported it, and
    // then so is every later one: a listed occurrence that the record took back lies before
    // every dropped one, and the first dropped occurrence of an id is its earliest.
    if (m_highestId / 64 >= m_seen.size()) {
        m_seen.resize(m_highestId / 64 + 1);
    }
    const auto firstTime = [&](std::uint32_t id) {
        std::uint64_t& word = m_seen[id / 64];
        const std::uint64_t bit = std::uint64_t{1} << (id % 64);
        const bool first = (word & bit) == 0;
        word |= bit;
        return first;
    };
    for (const Use& use : m_uses) {
        firstTime(use.id);
    }
    for (const Use& use : m_dropped) {
        if (firstTime(use.id)) {
            m_uses.push_back(use);
        }
    }
    for (const Use& use : m_uses) {
        m_seen[use.id / 64] = 0;
    }
}

void classifyTile(std::span<const char> file, TileReferences& out)
{
    ReportedReferences reported;
    classifyTile(file, out, reported);
}

void classifyTile(std::span<const char> file, TileReferences& out, ReportedReferences& reported,
                  std::size_t tile)
{
    out.clear(reported, tile);
    const EncodingMark mark = detectEncoding(file);
    const std::span<const char> text = file.subspan(mark.length);
    const bool bigEndian = mark.encoding == TileEncoding::Utf16BigEndian;
    const bool utf8 = mark.encoding == TileEncoding::Utf8;
    // A tile whose lines may be too long goes the line-by-line way, which lists every
    // reference of the tile afresh: the quick pass may have stopped anywhere.
    ReportedReferences tileOnly;
    if (mark.encoding == TileEncoding::Utf16LittleEndian || bigEndian) {
        if (!findReferences(Utf16Source(text, bigEndian), out)) {
            out.clear(tileOnly, tile, false);
            classifyUtf16(text, bigEndian, out);
        }
    } else if (utf8 || platform::codePageIsSingleByte()) {
        if (!findReferences(ByteSource(text, utf8), out)) {
            out.clear(tileOnly, tile, false);
            ByteLines(utf8, out).classify(text.data(), text.size());
        }
    } else {
        // A code page of several bytes a character: its trail bytes may look like ".sco".
        classifyDecoded(platform::codePageToUtf16({text.data(), text.size()}), out);
    }
    out.finish();
}

}  // namespace gantrel
