// SPDX-License-Identifier: MIT
// Names against the ANSI code pages a Windows system may have, whichever this one has: a
// Western, a Central European, a Japanese one, and UTF-8, which Windows 10 and later offer as
// the system's code page.

#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

namespace gantrel::platform::win32 {
namespace {

TEST(CodePage, UnheldCharacterIsTheFirstTheGivenCodePageCannotHold)
{
    const std::wstring polish = L"\u0141ukasz";     // Łukasz
    const std::wstring french = L"Caf\u00e9";       // Café
    const std::wstring japanese = L"\u5730\u56f3";  // 地図, "map"
    const std::wstring beyond = L"Map \U0001F68C";  // a bus, outside the 16-bit plane
    const std::wstring lone = std::wstring(L"A") + wchar_t(0xD800) + L"B";

    EXPECT_EQ(unheldCharacter(french, 1252), std::nullopt);
    EXPECT_EQ(unheldCharacter(polish, 1252), U'\u0141');
    EXPECT_EQ(unheldCharacter(japanese, 1252), U'\u5730');

    EXPECT_EQ(unheldCharacter(polish, 1250), std::nullopt);
    EXPECT_EQ(unheldCharacter(L"\u0416", 1250), U'\u0416');  // Ж, Cyrillic

    EXPECT_EQ(unheldCharacter(japanese, 932), std::nullopt);
    // No best fit: é is not taken as the e that the Japanese code page would write for it.
    EXPECT_EQ(unheldCharacter(french, 932), U'\u00e9');

    for (const std::wstring& name : {polish, french, japanese, beyond}) {
        EXPECT_EQ(unheldCharacter(name, CP_UTF8), std::nullopt);
    }
    EXPECT_EQ(unheldCharacter(beyond, 1252), U'\U0001F68C');
    EXPECT_EQ(unheldCharacter(lone, CP_UTF8), U'\xD800');
}

TEST(CodePage, WholeCharactersLengthNeverEndsInsideACharacter)
{
    EXPECT_EQ(wholeCharactersLength("Caf\xe9", 1252), 4u);
    EXPECT_EQ(wholeCharactersLength("\x8f\xa2", 1250), 2u);
    // Shift-JIS: 0x92 0x6E is one character; a lone lead byte at the end is cut.
    EXPECT_EQ(wholeCharactersLength("a\x92\x6e", 932), 3u);
    EXPECT_EQ(wholeCharactersLength("a\x92\x6e\x92", 932), 3u);
    // UTF-8: "é" is two bytes, "地" three, the bus four; each cut inside comes back whole.
    EXPECT_EQ(wholeCharactersLength("Caf\xc3\xa9", CP_UTF8), 5u);
    EXPECT_EQ(wholeCharactersLength("Caf\xc3", CP_UTF8), 3u);
    EXPECT_EQ(wholeCharactersLength("x\xe5\x9c\xb0", CP_UTF8), 4u);
    EXPECT_EQ(wholeCharactersLength("x\xe5\x9c", CP_UTF8), 1u);
    EXPECT_EQ(wholeCharactersLength("x\xf0\x9f\x9a\x8c", CP_UTF8), 5u);
    EXPECT_EQ(wholeCharactersLength("x\xf0\x9f\x9a", CP_UTF8), 1u);
}

}  // namespace
}  // namespace gantrel::platform::win32
