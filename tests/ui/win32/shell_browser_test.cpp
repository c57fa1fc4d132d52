// SPDX-License-Identifier: MIT
// The map folder chooser and the destination folder dialog over the real shell browser,
// answered from a timer that runs inside the browser's own modal loop.

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "folder_dialog.h"
#include "map_folder_chooser.h"
#include "support/test_support.h"

namespace gantrel::ui::win32 {
namespace {

namespace fs = std::filesystem;

// Answers the browser once it is open: `answer` gets the browser's window and returns the
// button to press (IDOK or IDCANCEL).
class BrowserAnswer {
public:
    explicit BrowserAnswer(std::function<int(HWND)> answer)
    {
        current() = std::move(answer);
        m_timer = SetTimer(nullptr, 0, 100, &BrowserAnswer::tick);
    }
    ~BrowserAnswer()
    {
        KillTimer(nullptr, m_timer);
        current() = nullptr;
    }
    BrowserAnswer(const BrowserAnswer&) = delete;
    BrowserAnswer& operator=(const BrowserAnswer&) = delete;

private:
    static std::function<int(HWND)>& current()
    {
        static std::function<int(HWND)> answer;
        return answer;
    }
    static BOOL CALLBACK findBrowser(HWND window, LPARAM found)
    {
        char name[64] = {};
        GetClassNameA(window, name, sizeof(name));
        if (std::string(name) == "#32770" && IsWindowVisible(window)) {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND browser = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &findBrowser, reinterpret_cast<LPARAM>(&browser));
        if (browser == nullptr || !current()) {
            return;
        }
        const int button = std::exchange(current(), nullptr)(browser);
        PostMessageA(browser, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(browser, button)));
    }

    UINT_PTR m_timer = 0;
};

std::string textOf(HWND control)
{
    char text[1024] = {};
    GetWindowTextA(control, text, sizeof(text));
    return text;
}

TEST(MapFolderChooserTest, PreselectsTheStartFolderAndReturnsTheChoice)
{
    const test::TempDir folder;
    const fs::path start = folder.path() / "Maps" / "Demo";
    fs::create_directories(start);
    std::string chosen = test::textOf(start);
    std::string title;
    // The root "\" is the root of the current folder's drive: the start folder's drive here.
    const fs::path before = fs::current_path();
    fs::current_path(folder.path());
    {
        const BrowserAnswer answer([&](HWND browser) {
            title = textOf(GetDlgItem(browser, 0x3742));
            return IDOK;
        });
        EXPECT_TRUE(chooseMapFolder("Select your MAP folder", L"\\", chosen));
    }
    fs::current_path(before);
    EXPECT_EQ(title, "Select your MAP folder");
    EXPECT_TRUE(fs::equivalent(test::pathOf(chosen), start)) << chosen;

    chosen = test::textOf(folder.path() / "gone");
    const BrowserAnswer cancel([](HWND) { return IDCANCEL; });
    EXPECT_FALSE(chooseMapFolder("Select your MAP folder", L"\\", chosen));
    EXPECT_EQ(chosen, "") << "a start folder that does not exist is dropped";
}

TEST(FolderDialogTest, RemakesTheLastDestinationAndReportsItPrettyCased)
{
    const test::TempDir folder;
    const fs::path destination = folder.path() / "PACKS" / "myMap";
    FolderDialog dialog(nullptr, window::languageKeysFor(0x0407));
    dialog.folder = test::textOf(destination);
    std::string instruction;
    {
        const BrowserAnswer answer([&](HWND browser) {
            instruction = textOf(GetDlgItem(browser, 0x3742));
            return IDOK;
        });
        ASSERT_TRUE(dialog.execute());
    }
    EXPECT_TRUE(fs::is_directory(destination)) << "the destination was made again";
    EXPECT_EQ(instruction, test::narrow(u"Ausgewählter Ordner:"));
    EXPECT_EQ(dialog.selectedFolder(), dialog.folder);
    EXPECT_EQ(dialog.folder, window::prettyCase(test::textOf(destination), '\\'));
    EXPECT_TRUE(dialog.folder.ends_with("\\Packs\\Mymap")) << dialog.folder;
    EXPECT_EQ(dialog.displayText(), "Mymap") << "the confirmed item's display name";

    const std::string confirmed = dialog.folder;
    const BrowserAnswer cancel([](HWND) { return IDCANCEL; });
    EXPECT_FALSE(dialog.execute());
    EXPECT_EQ(dialog.folder, confirmed);
}

}  // namespace
}  // namespace gantrel::ui::win32
