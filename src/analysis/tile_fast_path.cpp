// SPDX-License-Identifier: MIT
#include "analysis/tile_fast_path.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "analysis/count_bits.h"
#include "analysis/reference_line.h"
#include "platform/platform.h"

// The wider vector sets are chosen at run time, where the compiler can target single
// functions at them. On Windows only where the build has every aligned vector move encoded as
// an unaligned one: its ABI does not keep the stack aligned for the 32- and 64-byte vectors
// that a function spills.
#if defined(__x86_64__) && defined(__GNUC__) && \
    (!defined(_WIN32) || defined(GANTREL_UNALIGNED_VECTOR_MOVES))
#define GANTREL_VECTOR_DISPATCH 1
// With the wider sets come the bit instructions that processors with AVX2 have beside it
// (checked with it): a bit count, bit scans from either end, and clearing the lowest bit or
// those above one, in an instruction each, for the masks' bookkeeping.
#define GANTREL_AVX2 "avx2,bmi,bmi2,lzcnt,popcnt"
#define GANTREL_AVX512 "avx512bw," GANTREL_AVX2
#include <cpuid.h>
#include <immintrin.h>
#elif defined(__SSE2__)
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
//
// The text is looked at in blocks of 64 units, a bit each in the masks below, which a vector
// set fills kBytes units a step: for each of a few groups of values, the bits of the bytes, or
// of the 16-bit units, that equal one of the group. Only bits cross the sets' functions, no
// vectors: a function that does not target the set may hold the call until the inlining.

// Each set's apart(work) runs work.run() in a function of its own that targets the set: the
// steps over a batch of blocks then keep their constants and masks in registers, free of what
// the lines' bookkeeping around them holds.

// Values of which a unit may equal any, one repeated where the group has fewer.
template <class Unit>
using Group = std::array<Unit, 3>;

#if defined(__SSE2__)
struct Sse2 {
    static constexpr std::size_t kBytes = 16;
    template <class Work>
    [[gnu::noinline]] static void apart(Work& work)
    {
        work.run();
    }
    template <std::size_t N>
    static std::array<std::uint64_t, N> bytesIn(const unsigned char* p,
                                                const std::array<Group<std::uint8_t>, N>& groups)
    {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        std::array<std::uint64_t, N> bits;
        for (std::size_t k = 0; k < N; ++k) {
            __m128i in = _mm_setzero_si128();
            for (const std::uint8_t value : groups[k]) {
                in = _mm_or_si128(in, _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(value))));
            }
            bits[k] = static_cast<unsigned>(_mm_movemask_epi8(in));
        }
        return bits;
    }
    // The bytes from 80 on.
    static std::uint64_t highBytes(const unsigned char* p)
    {
        return static_cast<unsigned>(
            _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
    }
    template <std::size_t N>
    static std::array<std::uint64_t, N> unitsIn(const unsigned char* p,
                                                const std::array<Group<std::uint16_t>, N>& groups)
    {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        std::array<std::uint64_t, N> bits;
        for (std::size_t k = 0; k < N; ++k) {
            __m128i inA = _mm_setzero_si128();
            __m128i inB = _mm_setzero_si128();
            for (const std::uint16_t value : groups[k]) {
                const __m128i w = _mm_set1_epi16(static_cast<short>(value));
                inA = _mm_or_si128(inA, _mm_cmpeq_epi16(a, w));
                inB = _mm_or_si128(inB, _mm_cmpeq_epi16(b, w));
            }
            bits[k] = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(inA, inB)));
        }
        return bits;
    }
};
using Portable = Sse2;

// Sixteen UTF-16 units as their bytes, when all of them are ASCII; false, with nothing
// written, when one is not. The units of a reference line are nearly always ASCII.
bool narrowAscii(const unsigned char* p, bool bigEndian, char* to)
{
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    if (bigEndian) {
        a = _mm_or_si128(_mm_slli_epi16(a, 8), _mm_srli_epi16(a, 8));
        b = _mm_or_si128(_mm_slli_epi16(b, 8), _mm_srli_epi16(b, 8));
    }
    const __m128i outside =
        _mm_and_si128(_mm_or_si128(a, b), _mm_set1_epi16(static_cast<short>(0xFF80)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(outside, _mm_setzero_si128())) != 0xFFFF) {
        return false;
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_packus_epi16(a, b));
    return true;
}
#else
struct Portable {
    static constexpr std::size_t kBytes = 0;  // unit by unit
    template <class Work>
    [[gnu::noinline]] static void apart(Work& work)
    {
        work.run();
    }
};
#endif

#if defined(GANTREL_VECTOR_DISPATCH)
struct Avx2 {
    static constexpr std::size_t kBytes = 32;
    template <class Work>
    [[gnu::target(GANTREL_AVX2), gnu::noinline]] static void apart(Work& work)
    {
        work.run();
    }
    template <std::size_t N>
    [[gnu::target(GANTREL_AVX2)]] static std::array<std::uint64_t, N> bytesIn(
        const unsigned char* p, const std::array<Group<std::uint8_t>, N>& groups)
    {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        std::array<std::uint64_t, N> bits;
        for (std::size_t k = 0; k < N; ++k) {
            __m256i in = _mm256_setzero_si256();
            for (const std::uint8_t value : groups[k]) {
                in = _mm256_or_si256(
                    in, _mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(value))));
            }
            bits[k] = static_cast<unsigned>(_mm256_movemask_epi8(in));
        }
        return bits;
    }
    [[gnu::target(GANTREL_AVX2)]] static std::uint64_t highBytes(const unsigned char* p)
    {
        return static_cast<unsigned>(
            _mm256_movemask_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))));
    }
    template <std::size_t N>
    [[gnu::target(GANTREL_AVX2)]] static std::array<std::uint64_t, N> unitsIn(
        const unsigned char* p, const std::array<Group<std::uint16_t>, N>& groups)
    {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
        std::array<std::uint64_t, N> bits;
        for (std::size_t k = 0; k < N; ++k) {
            __m256i inA = _mm256_setzero_si256();
            __m256i inB = _mm256_setzero_si256();
            for (const std::uint16_t value : groups[k]) {
                const __m256i w = _mm256_set1_epi16(static_cast<short>(value));
                inA = _mm256_or_si256(inA, _mm256_cmpeq_epi16(a, w));
                inB = _mm256_or_si256(inB, _mm256_cmpeq_epi16(b, w));
            }
            // The pack works within each half: a's first units, b's first, a's last, b's last.
            const __m256i packed = _mm256_packs_epi16(inA, inB);
            bits[k] =
                static_cast<unsigned>(_mm256_movemask_epi8(_mm256_permute4x64_epi64(packed, 0xD8)));
        }
        return bits;
    }
};

struct Avx512 {
    static constexpr std::size_t kBytes = 64;
    template <class Work>
    [[gnu::target(GANTREL_AVX512), gnu::noinline]] static void apart(Work& work)
    {
        work.run();
    }
    template <std::size_t N>
    [[gnu::target(GANTREL_AVX512)]] static std::array<std::uint64_t, N> bytesIn(
        const unsigned char* p, const std::array<Group<std::uint8_t>, N>& groups)
    {
        const __m512i v = _mm512_loadu_si512(p);
        std::array<std::uint64_t, N> bits;
        for (std::size_t k = 0; k < N; ++k) {
            bits[k] = 0;
            for (const std::uint8_t value : groups[k]) {
                bits[k] |= _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(static_cast<char>(value)));
            }
        }
        return bits;
    }
    [[gnu::target(GANTREL_AVX512)]] static std::uint64_t highBytes(const unsigned char* p)
    {
        return _mm512_movepi8_mask(_mm512_loadu_si512(p));
    }
    template <std::size_t N>
    [[gnu::target(GANTREL_AVX512)]] static std::array<std::uint64_t, N> unitsIn(
        const unsigned char* p, const std::array<Group<std::uint16_t>, N>& groups)
    {
        const __m512i a = _mm512_loadu_si512(p);
        const __m512i b = _mm512_loadu_si512(p + 64);
        std::array<std::uint64_t, N> bits;
        for (std::size_t k = 0; k < N; ++k) {
            bits[k] = 0;
            for (const std::uint16_t value : groups[k]) {
                const __m512i w = _mm512_set1_epi16(static_cast<short>(value));
                bits[k] |= _mm512_cmpeq_epi16_mask(a, w) |
                           (static_cast<std::uint64_t>(_mm512_cmpeq_epi16_mask(b, w)) << 32);
            }
        }
        return bits;
    }
};
#endif

struct Masks {
    std::uint64_t breaks = 0;  // every unit that may end a line
    std::uint64_t hard = 0;    // CR, LF and NUL: breaks whatever follows
    std::uint64_t nul = 0;
    std::uint64_t lf = 0;     // LF alone, to count a CR LF as one break
    std::uint64_t tails = 0;  // "o" and "i"
    std::uint64_t high = 0;   // in 8-bit and UTF-8 text, the bytes outside ASCII
};

// 8-bit text, of a single-byte code page or UTF-8 (`kUtf8`): a source of its own for each, so
// that the 8-bit loop carries nothing of UTF-8's U+2028.
template <class Vectors, bool kUtf8>
class ByteSource {
public:
    using Steps = Vectors;
    explicit ByteSource(std::span<const char> text)
        : m_p(reinterpret_cast<const unsigned char*>(text.data())), m_n(text.size())
    {
    }
    std::size_t size() const { return m_n; }

    // Whether the masks show the bytes outside ASCII, and breaks that are not certain.
    static constexpr bool kHigh = true;
    static constexpr bool kUnsureBreaks = kUtf8;

    // `kMayBreak` may end a line: E2 in UTF-8, where it may start a U+2028.
    static constexpr std::uint8_t kMayBreak = kUtf8 ? 0xE2 : '\r';

    [[gnu::always_inline]] Masks masks(std::size_t first, std::size_t count) const
    {
        Masks m;
        std::size_t i = 0;
        const unsigned char* p = m_p + first;
        if constexpr (Vectors::kBytes > 0) {
            // A whole block in a fixed number of steps, which the compiler unrolls.
            if (count == 64) {
                for (std::size_t step = 0; step < 64; step += Vectors::kBytes) {
                    addStep(m, p, step);
                }
                return m;
            }
            for (; i + Vectors::kBytes <= count; i += Vectors::kBytes) {
                addStep(m, p, i);
            }
        }
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
            if (kUtf8 && c == 0xE2) {
                m.breaks |= bit;
            }
            if (c >= 0x80) {
                m.high |= bit;
            }
            if (c == 'o' || c == 'i') {
                m.tails |= bit;
            }
        }
        return m;
    }

    [[gnu::always_inline]] static void addStep(Masks& m, const unsigned char* p, std::size_t i)
    {
        const auto [hard, nul, lf, mayBreak, tails] = Vectors::bytesIn(
            p + i, std::array<Group<std::uint8_t>, 5>{{{0, '\r', '\n'},
                                                       {0, 0, 0},
                                                       {'\n', '\n', '\n'},
                                                       {kMayBreak, kMayBreak, kMayBreak},
                                                       {'o', 'i', 'i'}}});
        m.hard |= hard << i;
        m.nul |= nul << i;
        m.lf |= lf << i;
        m.breaks |= (hard | mayBreak) << i;
        m.tails |= tails << i;
        m.high |= Vectors::highBytes(p + i) << i;
    }

    // E2 ends a line only as the first byte of U+2028.
    bool confirmBreak(std::size_t q) const
    {
        return !kUtf8 || m_p[q] != 0xE2 ||
               (q + 2 < m_n && m_p[q + 1] == 0x80 && m_p[q + 2] == 0xA8);
    }

    /// The units of the block that end a line; the masks of a NUL's block are cut before it.
    std::uint64_t lineEnds(std::size_t block, const Masks& m) const
    {
        std::uint64_t ends = m.hard;
        if constexpr (!kUtf8) {
            return ends;  // in 8-bit text every break is a hard one
        }
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
        if constexpr (!kUtf8) {
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

    // Adds the line as the program's 8-bit string; `ascii` when the masks show no byte
    // outside ASCII in it: it is that string as it is, in the piece.
    void add(TileReferences& out, ReferenceKind kind, std::size_t begin, std::size_t end,
             bool ascii, std::size_t line, std::string& buffer) const
    {
        const std::string_view bytes(reinterpret_cast<const char*>(m_p + begin), end - begin);
        if (ascii) {
            out.addInPlace(kind, bytes, line);
            return;
        }
        narrowBytes(bytes, kUtf8, buffer);
        out.add(kind, buffer, line);
    }

private:
    const unsigned char* m_p;
    std::size_t m_n;
};

template <class Vectors>
class Utf16Source {
public:
    using Steps = Vectors;
    Utf16Source(std::span<const char> text, bool bigEndian)
        : m_p(reinterpret_cast<const unsigned char*>(text.data())),
          m_n(text.size() / 2),
          m_high(bigEndian ? 0 : 1),
          m_bigEndian(bigEndian)
    {
    }
    std::size_t size() const { return m_n; }
    // The masks show no units outside ASCII (the copy finds them), and every break is certain.
    static constexpr bool kHigh = false;
    static constexpr bool kUnsureBreaks = false;
    char16_t unit(std::size_t i) const
    {
        return static_cast<char16_t>((m_p[2 * i + m_high] << 8) | m_p[2 * i + (1 - m_high)]);
    }

    // The values compared are constants of the loop, each one loaded once.
    [[gnu::always_inline]] Masks masks(std::size_t first, std::size_t count) const
    {
        return m_bigEndian ? masksInOrder<true>(first, count) : masksInOrder<false>(first, count);
    }

    template <bool kBigEndian>
    [[gnu::always_inline]] Masks masksInOrder(std::size_t first, std::size_t count) const
    {
        Masks m;
        std::size_t i = 0;
        if constexpr (Vectors::kBytes > 0) {
            // A step takes two vectors, as many units as one holds bytes; the units are
            // compared as they lie in memory, against values in the text's byte order.
            const unsigned char* p = m_p + 2 * first;
            // A whole block in a fixed number of steps, which the compiler unrolls.
            if (count == 64) {
                for (std::size_t step = 0; step < 64; step += Vectors::kBytes) {
                    addStep<kBigEndian>(m, p, step);
                }
                return m;
            }
            for (; i + Vectors::kBytes <= count; i += Vectors::kBytes) {
                addStep<kBigEndian>(m, p, i);
            }
        }
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

    // Units `i` on, from the block's bytes at `p`.
    template <bool kBigEndian>
    [[gnu::always_inline]] static void addStep(Masks& m, const unsigned char* p, std::size_t i)
    {
        constexpr auto inMemory = [](char16_t u) {
            return kBigEndian ? static_cast<std::uint16_t>((u >> 8) | (u << 8)) : u;
        };
        constexpr std::uint16_t cr = inMemory(u'\r');
        constexpr std::uint16_t lf = inMemory(u'\n');
        constexpr std::uint16_t separator = inMemory(0x2028);
        constexpr std::uint16_t o = inMemory(u'o');
        constexpr std::uint16_t i1 = inMemory(u'i');
        const auto [hard, nul, lfs, separators, tails] = Vectors::unitsIn(
            p + 2 * i, std::array<Group<std::uint16_t>, 5>{{{0, cr, lf},
                                                            {0, 0, 0},
                                                            {lf, lf, lf},
                                                            {separator, separator, separator},
                                                            {o, i1, i1}}});
        m.hard |= hard << i;
        m.nul |= nul << i;
        m.lf |= lfs << i;
        m.breaks |= (hard | separators) << i;
        m.tails |= tails << i;
    }

    bool confirmBreak(std::size_t) const { return true; }

    std::uint64_t lineEnds(std::size_t, const Masks& m) const { return m.breaks; }

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
    std::size_t lineStart(std::size_t afterCertain, std::size_t) const { return afterCertain; }

    // Adds the line as the program's 8-bit string, made in `buffer`. The masks know nothing of
    // the units outside ASCII: they are found as the line is copied.
    void add(TileReferences& out, ReferenceKind kind, std::size_t begin, std::size_t end, bool,
             std::size_t line, std::string& buffer) const
    {
        const std::size_t count = end - begin;
        buffer.resize(count);
        if (!copyAscii(begin, count, buffer.data())) {
            std::u16string units(count, u'\0');
            for (std::size_t i = 0; i < count; ++i) {
                units[i] = unit(begin + i);
            }
            buffer = platform::utf16ToNarrow(units);
        }
        out.add(kind, buffer, line);
    }

private:
    // Copies the units' low bytes, sixteen a step where the line has as many (the last step
    // overlapping the one before), into room sized once: an append a unit costs a capacity
    // check each. False when a unit is not ASCII.
    bool copyAscii(std::size_t begin, std::size_t count, char* to) const
    {
#if defined(__SSE2__)
        if (count >= 16) {
            for (std::size_t i = 0; i < count; i += 16) {
                const std::size_t at = std::min(i, count - 16);
                if (!narrowAscii(m_p + 2 * (begin + at), m_bigEndian, to + at)) {
                    return false;
                }
            }
            return true;
        }
#endif
        const unsigned char* low = m_p + 2 * begin + (1 - m_high);
        const unsigned char* high = m_p + 2 * begin + m_high;
        unsigned outside = 0;
        for (std::size_t i = 0; i < count; ++i) {
            to[i] = static_cast<char>(low[2 * i]);
            outside |= high[2 * i] | (low[2 * i] & 0x80U);
        }
        return outside == 0;
    }

    const unsigned char* m_p;
    std::size_t m_n;
    std::size_t m_high;
    bool m_bigEndian;
};

// How many blocks the masks are worked out for before their lines are looked at. A fuzz build
// sets fewer, for its short inputs to cross batches.
#ifndef GANTREL_FAST_PATH_BATCH
#define GANTREL_FAST_PATH_BATCH 128
#endif
constexpr std::size_t kBatch = GANTREL_FAST_PATH_BATCH;

// One past the highest of the bits, which must not all be clear.
inline std::size_t highest(std::uint64_t bits)
{
    return static_cast<std::size_t>(64 - std::countl_zero(bits));
}

// One mask over the blocks of a batch, and where its last bit before the batch lies.
struct BatchBits {
    std::array<std::uint64_t, kBatch> bits;
    std::size_t afterBefore = 0;  // just after the last bit before the batch; 0 for none

    // Just after the last bit before those of `below` in block `j` of the batch at `start`.
    std::size_t after(std::size_t start, std::size_t j, std::uint64_t below) const
    {
        for (std::uint64_t b = bits[j] & below;; b = bits[--j]) {
            if (b != 0) {
                return start + 64 * j + highest(b);
            }
            if (j == 0) {
                return afterBefore;
            }
        }
    }
    // Whether a bit lies from unit `from` on, before those of `below` in block `j`.
    bool any(std::size_t from, std::size_t start, std::size_t j, std::uint64_t below) const
    {
        std::uint64_t b = bits[j] & below;
        for (std::size_t at = start + 64 * j;; at -= 64, b = bits[--j]) {
            if (at <= from) {
                return (b >> (from - at)) != 0;
            }
            if (b != 0) {
                return true;
            }
            if (j == 0) {
                return afterBefore > from;
            }
        }
    }
    // Moves `afterBefore` past the last bit of the batch's first `count` blocks.
    void pass(std::size_t start, std::size_t count)
    {
        for (std::size_t j = count; j-- > 0;) {
            if (bits[j] != 0) {
                afterBefore = start + 64 * j + highest(bits[j]);
                return;
            }
        }
    }
};

// The masks of a batch of blocks, worked out ahead of the lines that end in them: the steps
// then follow each other with no call between them, and the bookkeeping of where a line
// starts and whether it is ASCII is done only for the lines that may be references.
template <bool kCountLines, class Source>
struct Batch {
    explicit Batch(const Source& text, std::size_t firstLine)
        : source(text), size(text.size()), lines(firstLine)
    {
    }

    const Source& source;
    std::size_t size;           // the units of the text, up to a NUL
    std::size_t lines;          // the line breaks before the batch, a CR LF counted once
    std::size_t start = 0;      // where the batch starts
    std::size_t count = 0;      // its blocks
    std::size_t afterHard = 0;  // just after the last CR, LF: where a line may start
    std::uint64_t carry = 0;    // the previous block ended in "o" or "i"
    std::uint64_t crCarry = 0;  // the previous block ended in CR
    bool ended = false;         // a NUL ends the text
    bool gaveUp = false;        // two breaks lie further apart than a fetchable line
    // The breaks known without a closer look, the bytes outside ASCII in 8-bit text, the units
    // that may end a line (UTF-8's E2), the breaks after "o" or "i", and the breaks that count
    // as lines.
    BatchBits certain;
    BatchBits high;
    BatchBits unsure;
    std::uint64_t anyHigh = 0;
    std::uint64_t anyUnsure = 0;
    std::array<std::uint64_t, kBatch> candidates;  // each written before it is read
    std::array<std::uint64_t, kBatch> counted;

    // The masks of the blocks from `start` on, up to a batch, a NUL or the end of the text.
    [[gnu::always_inline]] void run()
    {
        anyHigh = 0;
        anyUnsure = 0;
        const std::size_t whole = std::min(kBatch, (size - start) / 64);
        for (count = 0; count < whole;) {
            if (!add(start + 64 * count, 64)) {
                return;
            }
        }
        if (count < kBatch && start + 64 * count < size) {
            add(start + 64 * count, size - start - 64 * count);
        }
    }

    // The masks of `units` units from `block` on; false when the batch ends there.
    [[gnu::always_inline]] bool add(std::size_t block, std::size_t units)
    {
        Masks m = source.masks(block, units);
        if (m.nul != 0) [[unlikely]] {
            // The text ends at the NUL: nothing from there on counts, the NUL itself not as a
            // break either (the last line, up to it, is checked as the text's end).
            const int zero = std::countr_zero(m.nul);
            const std::uint64_t before = (std::uint64_t{1} << zero) - 1;
            m.hard &= before;
            m.breaks &= before;
            m.lf &= before;
            m.high &= before;
            size = block + static_cast<std::size_t>(zero);
            ended = true;
        }
        if (m.hard != 0) {
            // Lines further apart than a fetchable line only after a block with no break: a
            // fetchable line is longer than a block.
            if (block + 64 > afterHard + kMaxLine) [[unlikely]] {
                const std::size_t first =
                    block + static_cast<std::size_t>(std::countr_zero(m.hard));
                if (first - afterHard > kMaxLine) {
                    gaveUp = true;
                    return false;
                }
            }
            afterHard = block + highest(m.hard);
        }
        certain.bits[count] = Source::kBreaksCertain ? m.breaks : m.hard;
        candidates[count] = m.breaks & ((m.tails << 1) | carry);
        carry = m.tails >> 63;
        if constexpr (Source::kHigh) {
            high.bits[count] = m.high;
            anyHigh |= m.high;
        }
        if constexpr (Source::kUnsureBreaks) {
            unsure.bits[count] = m.breaks & ~m.hard;
            anyUnsure |= unsure.bits[count];
        }
        if constexpr (kCountLines) {
            // A break counts once where it starts: an LF right after a CR does not.
            const std::uint64_t cr = m.hard & ~m.lf;
            counted[count] = source.lineEnds(block, m) & ~(m.lf & ((cr << 1) | crCarry));
            crCarry = cr >> 63;
        }
        ++count;
        return !ended;
    }
};

// Gives up, having added nothing that counts, when a line may be too long to fetch.
// Without kCountLines every reference is given line 0: counting the breaks costs the plain
// scan a sixth of its time, and only where-used asks for the lines.
template <bool kCountLines, class Source>
[[gnu::always_inline]] inline PieceEnd findReferences(const Source& source, TileReferences& out,
                                                      std::size_t& firstLine)
{
    std::string buffer;
    Batch<kCountLines, Source> batch(source, firstLine);
    // Adds the line from `start` to the break at `end` when it is a reference; `anyFrom(bits,
    // from)` tells whether one of the bits lies from `from` on before the break.
    const auto add = [&](std::size_t start, std::size_t end, std::size_t line,
                         const auto& anyFrom) {
        if (const auto kind = source.kindBefore(end)) {
            const std::size_t begin = Source::kUnsureBreaks && anyFrom(batch.unsure, start)
                                          ? source.lineStart(start, end)
                                          : start;
            // A line this long makes the quick way give up further on: not worth a copy.
            if (end - begin <= kMaxLine) {
                source.add(out, *kind, begin, end, !(Source::kHigh && anyFrom(batch.high, begin)),
                           line, buffer);
            }
        }
    };
    for (; batch.start < batch.size; batch.start += 64 * kBatch) {
        Source::Steps::apart(batch);
        if (batch.gaveUp) {
            return PieceEnd::GaveUp;
        }
        const std::size_t start = batch.start;
        // The lines are counted here, block by block, where the steps would have to keep the
        // count among what they hold.
        std::size_t lines = batch.lines;
        for (std::size_t j = 0; j < batch.count; ++j) {
            for (std::uint64_t c = batch.candidates[j]; c != 0; c &= c - 1) {
                const int bit = std::countr_zero(c);
                const std::size_t q = start + 64 * j + static_cast<std::size_t>(bit);
                if (source.confirmBreak(q)) {
                    const std::uint64_t below = (std::uint64_t{1} << bit) - 1;
                    add(batch.certain.after(start, j, below), q,
                        kCountLines ? lines + countBits(batch.counted[j] & below) : 0,
                        [&](const BatchBits& bits, std::size_t from) {
                            return bits.any(from, start, j, below);
                        });
                }
            }
            if constexpr (kCountLines) {
                lines += countBits(batch.counted[j]);
            }
        }
        batch.lines = lines;
        batch.certain.pass(start, batch.count);
        if (batch.anyHigh != 0) {
            batch.high.pass(start, batch.count);
        }
        if (batch.anyUnsure != 0) {
            batch.unsure.pass(start, batch.count);
        }
    }
    const std::size_t size = batch.size;
    if (size > batch.afterHard && size - batch.afterHard > kMaxLine) {
        return PieceEnd::GaveUp;
    }
    // The last line, when no break ends it.
    add(batch.certain.afterBefore, size, batch.lines,
        [](const BatchBits& bits, std::size_t from) { return bits.afterBefore > from; });
    firstLine = batch.lines;
    return batch.ended ? PieceEnd::TextEnded : PieceEnd::Continues;
}

// Inlined, with the loop, into a function that targets the source's vector set, as the
// steps' own function targets it.
template <class Source>
[[gnu::always_inline]] inline PieceEnd findIn(const Source& source, TileReferences& out,
                                              std::size_t& lines)
{
    const PieceEnd end = out.countsLines() ? findReferences<true>(source, out, lines)
                                           : findReferences<false>(source, out, lines);
    out.endPiece();  // the piece's texts go with the next read
    return end;
}

// 8-bit text of a code page or UTF-8, each with its own source.
template <class Vectors>
[[gnu::always_inline]] inline PieceEnd findBytes(std::span<const char> text, bool utf8,
                                                 TileReferences& out, std::size_t& lines)
{
    return utf8 ? findIn(ByteSource<Vectors, true>(text), out, lines)
                : findIn(ByteSource<Vectors, false>(text), out, lines);
}

#if defined(GANTREL_VECTOR_DISPATCH)
[[gnu::target(GANTREL_AVX2)]] PieceEnd findUtf16Avx2(std::span<const char> text, bool bigEndian,
                                                     TileReferences& out, std::size_t& lines)
{
    return findIn(Utf16Source<Avx2>(text, bigEndian), out, lines);
}

[[gnu::target(GANTREL_AVX512)]] PieceEnd findUtf16Avx512(std::span<const char> text, bool bigEndian,
                                                         TileReferences& out, std::size_t& lines)
{
    return findIn(Utf16Source<Avx512>(text, bigEndian), out, lines);
}

[[gnu::target(GANTREL_AVX2)]] PieceEnd findBytesAvx2(std::span<const char> text, bool utf8,
                                                     TileReferences& out, std::size_t& lines)
{
    return findBytes<Avx2>(text, utf8, out, lines);
}

[[gnu::target(GANTREL_AVX512)]] PieceEnd findBytesAvx512(std::span<const char> text, bool utf8,
                                                         TileReferences& out, std::size_t& lines)
{
    return findBytes<Avx512>(text, utf8, out, lines);
}
#endif

VectorSet named(const char* name, VectorSet otherwise)
{
    const std::string_view text = name != nullptr ? name : "";
    return text == "portable" ? VectorSet::Portable
           : text == "avx2"   ? VectorSet::Avx2
           : text == "avx512" ? VectorSet::Avx512
                              : otherwise;
}

std::atomic<VectorSet>& setInUse()
{
    static std::atomic<VectorSet> set{
        std::min(widestVectorSet(), named(std::getenv("GANTREL_VECTORS"), VectorSet::Avx512))};
    return set;
}

}  // namespace

VectorSet widestVectorSet()
{
#if defined(GANTREL_VECTOR_DISPATCH)
    __builtin_cpu_init();
    // LZCNT is bit 5 of ECX in leaf 80000001: not every compiler's feature test names it.
    unsigned eax = 0;
    unsigned ebx = 0;
    unsigned ecx = 0;
    unsigned edx = 0;
    const bool lzcnt = __get_cpuid(0x80000001, &eax, &ebx, &ecx, &edx) != 0 && (ecx & 0x20) != 0;
    const bool bits = __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") && lzcnt &&
                      __builtin_cpu_supports("popcnt");
    if (bits && __builtin_cpu_supports("avx512bw")) {
        return VectorSet::Avx512;
    }
    if (bits && __builtin_cpu_supports("avx2")) {
        return VectorSet::Avx2;
    }
#endif
    return VectorSet::Portable;
}

void useVectorSet(VectorSet set)
{
    setInUse().store(std::min(set, widestVectorSet()), std::memory_order_relaxed);
}

VectorSet vectorSetInUse()
{
    return setInUse().load(std::memory_order_relaxed);
}

PieceEnd findUtf16References(std::span<const char> text, bool bigEndian, TileReferences& out,
                             std::size_t& lines)
{
    switch (vectorSetInUse()) {
#if defined(GANTREL_VECTOR_DISPATCH)
        case VectorSet::Avx512:
            return findUtf16Avx512(text, bigEndian, out, lines);
        case VectorSet::Avx2:
            return findUtf16Avx2(text, bigEndian, out, lines);
#endif
        default:
            return findIn(Utf16Source<Portable>(text, bigEndian), out, lines);
    }
}

PieceEnd findByteReferences(std::span<const char> text, bool utf8, TileReferences& out,
                            std::size_t& lines)
{
    switch (vectorSetInUse()) {
#if defined(GANTREL_VECTOR_DISPATCH)
        case VectorSet::Avx512:
            return findBytesAvx512(text, utf8, out, lines);
        case VectorSet::Avx2:
            return findBytesAvx2(text, utf8, out, lines);
#endif
        default:
            return findBytes<Portable>(text, utf8, out, lines);
    }
}

}  // namespace gantrel
