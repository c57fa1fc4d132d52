// SPDX-License-Identifier: MIT
#include "analysis/tile_rewrite.h"

#include <algorithm>
#include <optional>
#include <span>

#include "analysis/line_store.h"
#include "analysis/tile_decoder.h"
#include "platform/code_page.h"
#include "platform/platform.h"

namespace gantrel {
namespace {

constexpr char16_t kLineSeparator = 0x2028;

bool isHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

std::u16string decode(std::string_view bytes, TileEncoding encoding)
{
    return decodeTileText(std::span<const char>(bytes.data(), bytes.size()), encoding);
}

// The bytes of `line` that hold its first `units` code units.
std::size_t byteOffset(std::string_view line, std::size_t units, TileEncoding encoding)
{
    switch (encoding) {
        case TileEncoding::Utf16LittleEndian:
        case TileEncoding::Utf16BigEndian:
            return 2 * units;
        case TileEncoding::Utf8: {
            std::size_t at = 0;
            for (std::size_t unit = 0; unit < units && at < line.size();) {
                const auto lead = static_cast<unsigned char>(line[at]);
                const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
                unit += length == 4 ? 2 : 1;
                at += length;
            }
            return at;
        }
        case TileEncoding::EightBit:
            break;
    }
    if (platform::codePageIsSingleByte()) {
        return units;
    }
    std::size_t at = 0;  // a multi-byte code page: the shortest prefix that decodes so far
    while (at < line.size() && decode(line.substr(0, at), encoding).size() < units) {
        ++at;
    }
    return at;
}

std::optional<std::string> encode(std::u16string_view units, TileEncoding encoding)
{
    std::string out;
    switch (encoding) {
        case TileEncoding::Utf16LittleEndian:
        case TileEncoding::Utf16BigEndian:
            for (const char16_t unit : units) {
                const char high = static_cast<char>(unit >> 8);
                const char low = static_cast<char>(unit & 0xFF);
                out += encoding == TileEncoding::Utf16BigEndian ? high : low;
                out += encoding == TileEncoding::Utf16BigEndian ? low : high;
            }
            return out;
        case TileEncoding::Utf8:
            for (std::size_t i = 0; i < units.size(); ++i) {
                char32_t code = units[i];
                if (isHighSurrogate(units[i]) && i + 1 < units.size() &&
                    isLowSurrogate(units[i + 1])) {
                    code = 0x10000 + ((code - 0xD800) << 10) + (units[++i] - 0xDC00);
                } else if (isHighSurrogate(units[i]) || isLowSurrogate(units[i])) {
                    return std::nullopt;
                }
                if (code < 0x80) {
                    out += static_cast<char>(code);
                } else if (code < 0x800) {
                    out += static_cast<char>(0xC0 | (code >> 6));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                } else if (code < 0x10000) {
                    out += static_cast<char>(0xE0 | (code >> 12));
                    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                } else {
                    out += static_cast<char>(0xF0 | (code >> 18));
                    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
                    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                }
            }
            return out;
        case TileEncoding::EightBit:
            break;
    }
    return platform::utf16ToCodePageExactly(units);
}

struct Line {
    std::size_t begin;  // bytes of the line's text
    std::size_t end;
    std::size_t next;  // where the next line starts, after the break
};

// Splits the text of a tile (after its mark) into lines as the line store does, up to the
// first zero character.
class LineReader {
public:
    LineReader(std::string_view body, TileEncoding encoding)
        : m_body(body),
          m_encoding(encoding),
          m_step(encoding == TileEncoding::Utf16LittleEndian ||
                         encoding == TileEncoding::Utf16BigEndian
                     ? 2
                     : 1)
    {
    }

    std::optional<Line> next()
    {
        if (m_done || m_at + m_step > m_body.size()) {
            return std::nullopt;
        }
        const std::size_t begin = m_at;
        for (std::size_t at = m_at; at + m_step <= m_body.size(); at += m_step) {
            const char32_t unit = unitAt(at);
            std::size_t breakLength = 0;
            if (unit == 0) {
                m_done = true;
                m_at = at;
                return at > begin ? std::optional<Line>(Line{begin, at, at}) : std::nullopt;
            }
            if (unit == u'\r') {
                breakLength = m_step;
                if (at + 2 * m_step <= m_body.size() && unitAt(at + m_step) == u'\n') {
                    breakLength += m_step;
                }
            } else if (unit == u'\n') {
                breakLength = m_step;
            } else if (m_step == 2 && unit == kLineSeparator) {
                breakLength = 2;
            } else if (m_encoding == TileEncoding::Utf8 && unit == 0xE2 &&
                       m_body.substr(at, 3) == "\xE2\x80\xA8") {
                breakLength = 3;
            }
            if (breakLength > 0) {
                m_at = at + breakLength;
                return Line{begin, at, m_at};
            }
        }
        m_at = m_body.size();
        m_done = true;
        return Line{begin, m_at, m_at};
    }

private:
    char32_t unitAt(std::size_t at) const
    {
        const auto first = static_cast<unsigned char>(m_body[at]);
        if (m_step == 1) {
            return first;
        }
        const auto second = static_cast<unsigned char>(m_body[at + 1]);
        return m_encoding == TileEncoding::Utf16BigEndian ? (first << 8) | second
                                                          : (second << 8) | first;
    }

    std::string_view m_body;
    TileEncoding m_encoding;
    std::size_t m_step;
    std::size_t m_at = 0;
    bool m_done = false;
};

bool isReference(std::u16string_view line)
{
    return line.ends_with(u".sco") || line.ends_with(u".sli");
}

}  // namespace

bool RelinkChange::folder() const
{
    return from.ends_with('\\');
}

bool validRelinkChange(const RelinkChange& change)
{
    const auto clean = [](std::string_view text) {
        return !text.empty() && std::none_of(text.begin(), text.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20;
        });
    };
    if (!clean(change.from) || !clean(change.to) || change.from == change.to) {
        return false;
    }
    if (change.folder()) {
        return change.to.ends_with('\\');
    }
    const auto extension = [](std::string_view text) {
        return text.size() >= 4 ? text.substr(text.size() - 4) : std::string_view();
    };
    return (extension(change.from) == ".sco" || extension(change.from) == ".sli") &&
           extension(change.from) == extension(change.to);
}

TileRewrite rewriteTile(std::string_view file, const RelinkChange& change)
{
    TileRewrite result;
    const EncodingMark mark = detectEncoding(std::span<const char>(file.data(), file.size()));
    const std::string_view body = file.substr(mark.length);
    if (mark.encoding == TileEncoding::Utf8) {
        const std::string_view text = body.substr(0, body.find('\0'));
        if (!isWellFormedUtf8(std::span<const char>(text.data(), text.size()))) {
            // Only a refusal when the tile holds something to relink, as far as can be told.
            result.refusal = body.find(change.from) != std::string_view::npos
                                 ? RewriteRefusal::MalformedUtf8
                                 : RewriteRefusal::None;
            return result;
        }
    }
    const std::u16string oldUnits = platform::narrowToUtf16(change.from);
    const std::u16string newUnits = platform::narrowToUtf16(change.to);
    // Only the part that differs is rewritten: the prefix and the suffix the texts share stay.
    std::size_t prefix = 0;
    while (prefix < oldUnits.size() && prefix < newUnits.size() &&
           oldUnits[prefix] == newUnits[prefix]) {
        ++prefix;
    }
    if (prefix > 0 && isHighSurrogate(oldUnits[prefix - 1])) {
        --prefix;
    }
    std::size_t suffix = 0;
    while (suffix < oldUnits.size() - prefix && suffix < newUnits.size() - prefix &&
           oldUnits[oldUnits.size() - 1 - suffix] == newUnits[newUnits.size() - 1 - suffix]) {
        ++suffix;
    }
    if (suffix > 0 && isLowSurrogate(oldUnits[oldUnits.size() - suffix])) {
        --suffix;
    }
    const std::u16string_view replacement =
        std::u16string_view(newUnits).substr(prefix, newUnits.size() - prefix - suffix);
    const std::optional<std::string> replacementBytes = encode(replacement, mark.encoding);

    std::string out(file.substr(0, mark.length));
    std::size_t copied = 0;  // bytes of the body already in `out`
    LineReader lines(body, mark.encoding);
    while (const std::optional<Line> line = lines.next()) {
        const std::string_view bytes = body.substr(line->begin, line->end - line->begin);
        const std::u16string units = decode(bytes, mark.encoding);
        if (units.size() > LineStore::kMaxFetchableLine) {
            break;  // the scan stops at this line: so does the relink
        }
        if (!isReference(units) ||
            !(change.folder() ? units.starts_with(oldUnits) : units == oldUnits)) {
            continue;
        }
        if (!replacementBytes) {
            return {{}, 0, RewriteRefusal::NotEncodable};
        }
        const std::size_t begin = byteOffset(bytes, prefix, mark.encoding);
        const std::size_t end = byteOffset(bytes, oldUnits.size() - suffix, mark.encoding);
        std::string relinked(bytes.substr(0, begin));
        relinked.append(*replacementBytes).append(bytes.substr(end));
        // What the new line reads as must be exactly the line with the new text in place.
        std::u16string wanted = units;
        wanted.replace(prefix, oldUnits.size() - suffix - prefix, replacement);
        if (decode(relinked, mark.encoding) != wanted) {
            return {{}, 0, RewriteRefusal::NotEncodable};
        }
        out.append(body.substr(copied, line->begin - copied)).append(relinked);
        copied = line->end;
        ++result.lines;
    }
    if (result.lines > 0) {
        out.append(body.substr(copied));
        result.bytes = std::move(out);
    }
    return result;
}

}  // namespace gantrel
