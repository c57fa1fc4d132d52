#include "analysis/tile_classifier.h"

#include <cstring>
#include <functional>

#include "analysis/line_store.h"
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
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
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
        if (length > kMaxLine && unitLength(begin, length) > kMaxLine) {
            m_out.tooLongLine = m_index;
            return false;
        }
        ++m_index;
        if (length >= 4) {
            const std::uint32_t tail = word(end - 4);
            if (tail == kObjectTail) {
                m_out.add(ReferenceKind::Object, narrow(begin, length));
            } else if (tail == kSplineTail) {
                m_out.add(ReferenceKind::Spline, narrow(begin, length));
            }
        }
        return true;
    }

    // UTF-8 never gives more code units than bytes, so only long lines are measured.
    std::size_t unitLength(const char* begin, std::size_t length) const
    {
        return m_utf8 ? decodeUtf8({begin, length}).size() : length;
    }

    std::string_view narrow(const char* begin, std::size_t length)
    {
        const std::string_view bytes(begin, length);
        if (isAscii(bytes)) {
            return bytes;
        }
        m_converted = platform::utf16ToNarrow(m_utf8 ? decodeUtf8({begin, length})
                                                     : platform::codePageToUtf16(bytes));
        return m_converted;
    }

    bool m_utf8;
    TileReferences& m_out;
    std::size_t m_index = 0;
    std::string m_converted;
};

// ---- Tiles read as UTF-16 code units -----------------------------------------------------

template <class UnitAt>
void classifyUnits(std::size_t count, UnitAt unitAt, TileReferences& out)
{
    std::u16string line;
    std::string narrowed;
    std::size_t index = 0;
    std::size_t start = 0;
    const auto take = [&](std::size_t end) {
        if (end - start > kMaxLine) {
            out.tooLongLine = index;
            return false;
        }
        ++index;
        if (end - start >= 4 && unitAt(end - 4) == u'.') {
            const char16_t s = unitAt(end - 3);
            const char16_t c = unitAt(end - 2);
            const char16_t o = unitAt(end - 1);
            const bool object = s == u's' && c == u'c' && o == u'o';
            const bool spline = s == u's' && c == u'l' && o == u'i';
            if (object || spline) {
                line.clear();
                bool ascii = true;
                for (std::size_t i = start; i < end; ++i) {
                    line += unitAt(i);
                    ascii = ascii && line.back() < 0x80;
                }
                narrowed =
                    ascii ? std::string(line.begin(), line.end()) : platform::utf16ToNarrow(line);
                out.add(object ? ReferenceKind::Object : ReferenceKind::Spline, narrowed);
            }
        }
        return true;
    };
    for (std::size_t i = 0; i < count; ++i) {
        const char16_t unit = unitAt(i);
        if (unit > u'\r' && unit != 0x2028) {
            continue;
        }
        if (unit == 0) {
            count = i;
            break;
        }
        if (unit != u'\r' && unit != u'\n' && unit != 0x2028) {
            continue;
        }
        if (!take(i)) {
            return;
        }
        if (unit == u'\r' && i + 1 < count && unitAt(i + 1) == u'\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < count) {
        take(count);
    }
}

void classifyUtf16(std::span<const char> text, bool bigEndian, TileReferences& out)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t high = bigEndian ? 0 : 1;
    classifyUnits(
        text.size() / 2,
        [bytes, high](std::size_t i) {
            return static_cast<char16_t>((bytes[2 * i + high] << 8) | bytes[2 * i + (1 - high)]);
        },
        out);
}

}  // namespace

std::uint64_t hashText(std::string_view text)
{
    return std::hash<std::string_view>{}(text);
}

void TileReferences::clear()
{
    tooLongLine.reset();
    m_text.clear();
    m_references.clear();
    m_index.clear();
}

void TileReferences::add(ReferenceKind kind, std::string_view text)
{
    const std::uint64_t hash = hashText(text);
    const auto matches = [&](std::size_t i) { return this->text(i) == text; };
    if (m_index.find(hash, matches) >= 0) {
        return;
    }
    const std::size_t slash = text.rfind('\\');
    const std::size_t folderLength = slash == std::string_view::npos ? 0 : slash + 1;
    m_index.insert(hash, m_references.size());
    m_references.push_back(Reference{kind, hash, hashText(text.substr(0, folderLength)),
                                     m_text.size(), text.size(), folderLength});
    m_text.append(text);
}

void classifyTile(std::span<const char> file, TileReferences& out)
{
    out.clear();
    const EncodingMark mark = detectEncoding(file);
    const std::span<const char> text = file.subspan(mark.length);
    switch (mark.encoding) {
        case TileEncoding::Utf16LittleEndian:
        case TileEncoding::Utf16BigEndian:
            classifyUtf16(text, mark.encoding == TileEncoding::Utf16BigEndian, out);
            return;
        case TileEncoding::Utf8:
            ByteLines(true, out).classify(text.data(), text.size());
            return;
        case TileEncoding::EightBit:
            break;
    }
    if (platform::codePageIsSingleByte()) {
        ByteLines(false, out).classify(text.data(), text.size());
    } else {
        // A code page of several bytes a character: its trail bytes may look like ".sco".
        const std::u16string units = platform::codePageToUtf16({text.data(), text.size()});
        classifyUnits(
            units.size(), [&units](std::size_t i) { return units[i]; }, out);
    }
}

}  // namespace gantrel
