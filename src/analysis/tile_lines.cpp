// SPDX-License-Identifier: MIT
#include "analysis/tile_lines.h"

#include <algorithm>
#include <bit>

#include "analysis/reference_line.h"
#include "analysis/tile_decoder.h"
#include "platform/platform.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gantrel {
namespace {

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

class ByteLines {
public:
    ByteLines(bool utf8, TileReferences& out, std::size_t firstLine)
        : m_utf8(utf8), m_out(out), m_index(firstLine)
    {
    }
    std::size_t index() const { return m_index; }

    PieceEnd classify(const char* text, std::size_t size)
    {
        const char* const end = text + size;
        const char* lineStart = text;
        const char* resume = text;  // bytes before this belong to a break already taken
        for (const char* block = text; block < end; block += 64) {
            const auto n = static_cast<std::size_t>(std::min<std::ptrdiff_t>(64, end - block));
            for (std::uint64_t mask = candidateMask(block, n, m_utf8); mask != 0;
                 mask &= mask - 1) {
                const char* q = block + std::countr_zero(mask);
                if (q < resume) {
                    continue;
                }
                const auto c = static_cast<unsigned char>(*q);
                std::size_t breakLength = 1;
                if (c == 0) {
                    if (q != lineStart && !line(lineStart, q)) {
                        return PieceEnd::GaveUp;
                    }
                    return PieceEnd::TextEnded;
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
                    return PieceEnd::GaveUp;
                }
                lineStart = resume = q + breakLength;
            }
        }
        if (lineStart < end && !line(lineStart, end)) {
            return PieceEnd::GaveUp;
        }
        return PieceEnd::Continues;
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
        narrowBytes(bytes, m_utf8, m_converted);
        return m_converted;
    }

    bool m_utf8;
    TileReferences& m_out;
    std::size_t m_index;
    std::string m_converted;
};

// ---- Tiles read as UTF-16 code units -----------------------------------------------------

// Lines of code units, which come from the bytes of a UTF-16 file in either order or from the
// text of a code page with several bytes a character.
class UnitLines {
public:
    UnitLines(TileReferences& out, std::size_t firstLine) : m_out(out), m_index(firstLine) {}
    std::size_t index() const { return m_index; }

    template <class UnitAt, class MaskAt>
    PieceEnd classify(std::size_t count, UnitAt unitAt, MaskAt candidates)
    {
        std::size_t lineStart = 0;
        std::size_t resume = 0;
        for (std::size_t block = 0; block < count; block += 64) {
            for (std::uint64_t mask = candidates(block, std::min<std::size_t>(64, count - block));
                 mask != 0; mask &= mask - 1) {
                const std::size_t q = block + static_cast<std::size_t>(std::countr_zero(mask));
                if (q < resume) {
                    continue;
                }
                const char16_t unit = unitAt(q);
                if (unit == 0) {
                    if (q != lineStart && !line(unitAt, lineStart, q)) {
                        return PieceEnd::GaveUp;
                    }
                    return PieceEnd::TextEnded;
                }
                const std::size_t breakLength =
                    unit == u'\r' && q + 1 < count && unitAt(q + 1) == u'\n' ? 2 : 1;
                if (!line(unitAt, lineStart, q)) {
                    return PieceEnd::GaveUp;
                }
                lineStart = resume = q + breakLength;
            }
        }
        if (lineStart < count && !line(unitAt, lineStart, count)) {
            return PieceEnd::GaveUp;
        }
        return PieceEnd::Continues;
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
    std::size_t m_index;
    std::string m_narrow;
    std::u16string m_units;
};

bool isCandidateUnit(char16_t unit)
{
    return unit == u'\r' || unit == u'\n' || unit == 0 || unit == 0x2028;
}

}  // namespace

PieceEnd classifyUtf16(std::span<const char> text, bool bigEndian, TileReferences& out,
                       std::size_t& lines)
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
    UnitLines model(out, lines);
    const PieceEnd end = model.classify(text.size() / 2, unitAt, candidates);
    lines = model.index();
    return end;
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
    UnitLines(out, 0).classify(units.size(), unitAt, candidates);
}

PieceEnd classifyBytes(std::span<const char> text, bool utf8, TileReferences& out,
                       std::size_t& lines)
{
    ByteLines model(utf8, out, lines);
    const PieceEnd end = model.classify(text.data(), text.size());
    lines = model.index();
    return end;
}

}  // namespace gantrel
