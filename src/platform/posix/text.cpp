// SPDX-License-Identifier: MIT
// Text conversions on POSIX. Tile files come from Western Windows systems, so their 8-bit code
// page is Windows-1252; the program's own strings are UTF-8.

#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/ascii_prefix.h"
#include "platform/code_page.h"
#include "platform/platform.h"

namespace gantrel::platform {
namespace {

// Windows-1252 for the bytes 80..9F; its five undefined bytes (81, 8D, 8F, 90, 9D) become the
// C1 controls of the same value, as the native conversion makes them.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Writes the code point as UTF-8 at `to` and returns the end. The conversions write into a
// string sized for the longest result and cut it after: an append a byte would cost a capacity
// check each, and reference lines are converted by the million.
char* writeUtf8(char* to, char32_t code)
{
    std::int32_t written = 0;
    U8_APPEND_UNSAFE(reinterpret_cast<std::uint8_t*>(to), written, code);
    return to + written;
}

void cutAt(std::string& out, const char* end)
{
    out.resize(static_cast<std::size_t>(end - out.data()));
}

std::u16string utf8ToUtf16(std::string_view text)
{
    std::u16string out(text.size() + 1, u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, text.data(),
                         static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return out;
}

}  // namespace

bool codePageIsSingleByte()
{
    return true;
}

std::u16string codePageToUtf16(std::string_view bytes)
{
    std::u16string out(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : static_cast<char16_t>(b);
    }
    return out;
}

void codePageToNarrow(std::string_view bytes, std::string& out)
{
    out.resize(3 * bytes.size());  // a character of the code page takes at most 3
    char* to = out.data();
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Eight bytes at a time, and the ASCII ones before another: a reference line that
        // needs converting mostly holds one or two other letters.
        if (i + sizeof(std::uint64_t) <= bytes.size()) {
            const std::size_t ascii = asciiPrefix(bytes.data() + i);
            std::memcpy(to, bytes.data() + i, sizeof(std::uint64_t));  // the room is there
            to += ascii;
            i += ascii;
            if (ascii == sizeof(std::uint64_t)) {
                continue;
            }
        }
        const auto b = static_cast<unsigned char>(bytes[i++]);
        to = writeUtf8(to, b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : char32_t{b});
    }
    cutAt(out, to);
}

std::u16string narrowToUtf16(std::string_view text)
{
    return utf8ToUtf16(text);  // the program's strings are UTF-8
}

std::string utf8ToNarrow(std::string_view text)
{
    return std::string(text);  // the program's strings are UTF-8 already
}

void utf8ToNarrow(std::string_view text, std::string& out)
{
    out.assign(text);
}

std::string utf16ToNarrow(std::u16string_view text)
{
    std::string out(3 * text.size(), '\0');  // a unit takes at most 3 bytes, a pair of them 4
    char* to = out.data();
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        to = writeUtf8(to, code);
    }
    cutAt(out, to);
    return out;
}

}  // namespace gantrel::platform
