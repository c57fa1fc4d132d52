// SPDX-License-Identifier: MIT
#include "analysis/tile_classifier.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

#include "analysis/reference_line.h"
#include "analysis/tile_decoder.h"
#include "analysis/tile_fast_path.h"
#include "analysis/tile_lines.h"
#include "platform/platform.h"

namespace gantrel {
namespace {

constexpr std::size_t kLongestMark = 3;

enum class Stop { Done, GaveUp, TooLarge };

// The text of one tile read a window at a time and handed on in pieces of whole lines: each
// piece ends just after a line break or a NUL that nothing read later can change, so the lines,
// their numbers and the characters in them are those of the whole text. A CR is a piece's end
// only once the unit after it is known, so that a CR LF is never split.
class TileText {
public:
    TileText(const TileRead& read, std::vector<char>& buffer, std::size_t window)
        : m_read(read), m_buffer(buffer), m_window(std::max<std::size_t>(window, 1))
    {
        // Room for every read of the pieces, reserved at once so that the buffer stays where
        // the reads are placed for; its pages are touched only as far as the text reaches.
        m_buffer.reserve(m_capacity + kAlignment + kLongestMark);
        const std::size_t start = placeFor(0);
        m_used = start;
        fill(std::max(m_window, kLongestMark));
        m_mark = detectEncoding({m_buffer.data() + start, m_used - start});
        m_begin = start + m_mark.length;
    }

    TileEncoding encoding() const { return m_mark.encoding; }
    bool tooLarge() const { return m_offset - m_mark.length > kMaxTileText; }

    /// The whole text, for a code page of several bytes a character.
    std::span<const char> all()
    {
        while (!m_atEnd && !tooLarge()) {
            fill(m_window);
        }
        return std::span<const char>(m_buffer.data(), m_used).subspan(m_begin);
    }

    /// Hands each piece to `classify` until it stops or the text ends.
    template <class Classify>
    Stop pieces(Classify classify)
    {
        const bool utf16 = m_mark.encoding == TileEncoding::Utf16LittleEndian ||
                           m_mark.encoding == TileEncoding::Utf16BigEndian;
        // The bytes before this one hold no end of a piece, but for a CR at their end.
        std::size_t scanned = m_begin;
        while (true) {
            if (tooLarge()) {
                return Stop::TooLarge;
            }
            // A buffer full without a break holds a line longer than any that can be fetched:
            // the rest of the text does not matter then.
            const bool full = m_used - m_begin >= m_capacity;
            std::size_t cut = m_atEnd ? m_used
                              : utf16 ? afterLastUnitBreak(scanned)
                                      : afterLastByteBreak(scanned);
            const bool last = m_atEnd || (cut == 0 && full);
            if (last) {
                cut = m_used;
            }
            if (cut > m_begin) {
                const PieceEnd end =
                    classify(std::span<const char>(m_buffer.data() + m_begin, cut - m_begin));
                if (end == PieceEnd::GaveUp) {
                    return Stop::GaveUp;
                }
                if (end == PieceEnd::TextEnded) {
                    return Stop::Done;
                }
            }
            if (last) {
                return Stop::Done;
            }
            if (cut > 0) {
                // What is left goes to the buffer's first bytes, as far in as makes the next
                // read land aligned; the mark is stepped over with the first piece.
                const std::size_t left = m_used - cut;
                const std::size_t start = placeFor(left);
                std::memmove(m_buffer.data() + start, m_buffer.data() + cut, left);
                m_used = start + left;
                m_begin = start;
            }
            scanned = m_used;
            fill(std::min(m_window, m_capacity + m_begin - m_used));
        }
    }

private:
    // A window and the longest line that may still be fetched, in any encoding (a UTF-8 line
    // takes at most three bytes a code unit).
    static constexpr std::size_t kLongestLine = 3 * kMaxLine + 8;
    static constexpr std::size_t kAlignment = 64;

    // The system copies a file into memory several times slower on some processors (3.5 times
    // measured) when the destination lies a few bytes past the source's alignment, as it would
    // in a buffer whose allocation starts 16 bytes into a page. Where the `left` bytes before
    // the next read go, so that the read lands as aligned as the file.
    std::size_t placeFor(std::size_t left) const
    {
        const auto address = reinterpret_cast<std::uintptr_t>(m_buffer.data());
        return static_cast<std::size_t>(m_offset - left - address) % kAlignment;
    }

    void fill(std::size_t room)
    {
        if (m_buffer.size() < m_used + room) {
            m_buffer.resize(m_used + room);
        }
        const std::size_t got = m_read(m_offset, m_buffer.data() + m_used, room);
        m_offset += got;
        m_used += got;
        m_atEnd = got < room;
    }

    std::size_t afterLastByteBreak(std::size_t scanned) const
    {
        const auto* p = reinterpret_cast<const unsigned char*>(m_buffer.data());
        const bool utf8 = m_mark.encoding == TileEncoding::Utf8;
        for (std::size_t i = m_used; i-- > std::max(m_begin, scanned > 0 ? scanned - 1 : 0);) {
            const unsigned c = p[i];
            if (c == '\n' || c == 0 || (c == '\r' && i + 1 < m_used) ||
                (utf8 && c == 0xA8 && i >= m_begin + 2 && p[i - 1] == 0x80 && p[i - 2] == 0xE2)) {
                return i + 1;
            }
        }
        return 0;
    }

    std::size_t afterLastUnitBreak(std::size_t scanned) const
    {
        const auto* p = reinterpret_cast<const unsigned char*>(m_buffer.data());
        const std::size_t high = m_mark.encoding == TileEncoding::Utf16BigEndian ? 0 : 1;
        // Units counted from the start of the text.
        p += m_begin;
        const std::size_t units = (m_used - m_begin) / 2;
        const std::size_t old = (scanned - m_begin) / 2;
        for (std::size_t i = units; i-- > (old > 0 ? old - 1 : 0);) {
            const unsigned u = (p[2 * i + high] << 8) | p[2 * i + 1 - high];
            if (u == u'\n' || u == 0 || u == 0x2028 || (u == u'\r' && i + 1 < units)) {
                return m_begin + 2 * (i + 1);
            }
        }
        return 0;
    }

    const TileRead& m_read;
    std::vector<char>& m_buffer;
    std::size_t m_window;
    const std::size_t m_capacity = m_window + kLongestLine;  // bytes of text held at most
    EncodingMark m_mark{TileEncoding::EightBit, 0};
    std::uint64_t m_offset = 0;  // bytes of the file read
    // Where the text not yet classified starts: after the mark, or after the few bytes that
    // make the next read land aligned (left from before: nothing of the text).
    std::size_t m_begin = 0;
    std::size_t m_used = 0;  // bytes of the buffer read
    bool m_atEnd = false;
};

Stop classifyText(const TileRead& read, TileReferences& out, std::vector<char>& buffer,
                  std::size_t window, bool quick)
{
    TileText text(read, buffer, window);
    const TileEncoding encoding = text.encoding();
    const bool bigEndian = encoding == TileEncoding::Utf16BigEndian;
    const bool utf8 = encoding == TileEncoding::Utf8;
    std::size_t lines = 0;
    if (encoding == TileEncoding::Utf16LittleEndian || bigEndian) {
        return text.pieces([&](std::span<const char> piece) {
            return quick ? findUtf16References(piece, bigEndian, out, lines)
                         : classifyUtf16(piece, bigEndian, out, lines);
        });
    }
    if (utf8 || platform::codePageIsSingleByte()) {
        return text.pieces([&](std::span<const char> piece) {
            return quick ? findByteReferences(piece, utf8, out, lines)
                         : classifyBytes(piece, utf8, out, lines);
        });
    }
    // A code page of several bytes a character: its trail bytes may look like ".sco", or like
    // a line break.
    const std::span<const char> all = text.all();
    if (text.tooLarge()) {
        return Stop::TooLarge;
    }
    classifyDecoded(platform::codePageToUtf16({all.data(), all.size()}), out);
    return Stop::Done;
}

}  // namespace

bool classifyTile(const TileRead& read, TileReferences& out, ReportedReferences& reported,
                  std::size_t tile, std::vector<char>& buffer, std::size_t window)
{
    out.clear(reported, tile);
    Stop stop = classifyText(read, out, buffer, window, true);
    // A tile whose lines may be too long goes the line-by-line way, which lists every
    // reference of the tile afresh: the quick pass may have stopped anywhere.
    std::optional<ReportedReferences> tileOnly;
    if (stop == Stop::GaveUp) {
        out.clear(tileOnly.emplace(), tile, false);
        stop = classifyText(read, out, buffer, window, false);
    }
    if (stop == Stop::TooLarge) {
        return false;
    }
    out.finish();
    return true;
}

void classifyTile(std::span<const char> file, TileReferences& out, ReportedReferences& reported,
                  std::size_t tile, std::size_t window)
{
    const TileRead read = [file](std::uint64_t offset, char* into, std::size_t room) {
        const std::size_t count =
            offset < file.size()
                ? static_cast<std::size_t>(std::min<std::uint64_t>(room, file.size() - offset))
                : 0;
        if (count > 0) {
            std::memcpy(into, file.data() + offset, count);
        }
        return count;
    };
    std::vector<char> buffer;
    classifyTile(read, out, reported, tile, buffer, window);
}

void classifyTile(std::span<const char> file, TileReferences& out, std::size_t window)
{
    ReportedReferences reported;
    classifyTile(file, out, reported, 0, window);
}

}  // namespace gantrel
