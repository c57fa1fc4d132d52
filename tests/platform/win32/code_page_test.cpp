// SPDX-License-Identifier: MIT
// Names against the ANSI code pages a Windows system may have, whichever this one has: a
// Western, a Central European, a Japanese one, and UTF-8, which Windows 10 and later offer as
// the system's code page.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>

#include "platform/platform.h"
#include "platform/win32/windows_api.h"
#include "support/test_support.h"

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

// Run by the test below from a copy of this program in a folder named "Łukasz", which the
// Western code page cannot hold: the program's folder and its settings file beside it.
TEST(SystemFolders, InAFolderTheCodePageCannotHold)
{
    if (std::getenv("GANTREL_TEST_UNHELD_FOLDER") == nullptr) {
        GTEST_SKIP() << "run from the copy that the next test makes";
    }
    const std::wstring folder = executableFolderWide();
    EXPECT_TRUE(folder.ends_with(L"\u0141ukasz\\")) << toNarrow(folder);
    const std::string settings = platform::executableFolder() + "gantrel.ini";
    EXPECT_EQ(systemPathWide(settings), folder + L"gantrel.ini");
    EXPECT_TRUE(platform::writeProfileString(settings, "mapfolder", "path", "C:\\Maps\\"));
    EXPECT_EQ(platform::readProfileString(settings, "mapfolder", "path", 2047), "C:\\Maps\\");
}

TEST(SystemFolders, AProgramInAFolderTheCodePageCannotHoldKeepsItsSettings)
{
    if (!unheldCharacter(L"\u0141")) {
        GTEST_SKIP() << "the system's code page holds the folder's name";
    }
    const test::TempDir temporary;
    const std::filesystem::path folder = temporary.path() / L"\u0141ukasz";
    std::filesystem::create_directory(folder);
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
    const std::filesystem::path copy = folder / "code_page_test.exe";
    std::filesystem::copy_file(self, copy);

    std::wstring command =
        L"\"" + copy.wstring() + L"\" --gtest_filter=SystemFolders.InAFolderTheCodePageCannotHold";
    const test::ScopedEnvironment child("GANTREL_TEST_UNHELD_FOLDER", "1");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_NE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process),
              FALSE);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(status, 0u);
    // The settings file lies in the true folder, not in one named with a substitute.
    EXPECT_TRUE(std::filesystem::exists(folder / "gantrel.ini"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temporary.path()),
                            std::filesystem::directory_iterator()),
              1);
}

}  // namespace
}  // namespace gantrel::platform::win32
