// SPDX-License-Identifier: MIT
// The program's 8-bit strings are in the ANSI code page here; the system maps the case as the
// user's locale does.

#include "window/text_case.h"

#include <windows.h>

#include <string>

#include "platform/platform.h"

namespace gantrel::window {

std::u32string codePointsOf(std::string_view text)
{
    // The ANSI code page is the code page of tile files as well.
    const std::u16string units = platform::codePageToUtf16(text);
    std::u32string codePoints;
    codePoints.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            codePoints.push_back(0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                                 (static_cast<char32_t>(units[i + 1]) - 0xDC00));
            ++i;
        } else {
            codePoints.push_back(unit);
        }
    }
    return codePoints;
}

std::string narrowOf(std::u32string_view codePoints)
{
    std::u16string units;
    units.reserve(codePoints.size());
    for (const char32_t c : codePoints) {
        if (c >= 0x10000) {
            units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(c));
        }
    }
    return platform::utf16ToNarrow(units);
}

namespace {

// Characters outside the basic plane keep their case: the system maps single code units.
char32_t mapCase(char32_t c, DWORD (*map)(LPWSTR, DWORD))
{
    if (c >= 0x10000 || (c >= 0xD800 && c < 0xE000)) {
        return c;
    }
    WCHAR unit = static_cast<WCHAR>(c);
    map(&unit, 1);
    return unit;
}

}  // namespace

char32_t upperCase(char32_t c)
{
    return mapCase(c, &CharUpperBuffW);
}

char32_t lowerCase(char32_t c)
{
    return mapCase(c, &CharLowerBuffW);
}

}  // namespace gantrel::window
