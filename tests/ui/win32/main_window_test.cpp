// SPDX-License-Identifier: MIT
#include "main_window.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <filesystem>
#include <optional>
#include <set>
#include <thread>
#include <utility>

#include "clipboard.h"
#include "control_ids.h"
#include "dialogs.h"
#include "package_dialog.h"
#include "platform/win32/windows_api.h"
#include "support/sample_map.h"
#include "support/test_support.h"
#include "where_used_dialog.h"
#include "window/list_menu.h"
#include "window/relink_flow.h"
#include "window/window_design.h"

namespace gantrel::ui::win32 {
namespace {

namespace fs = std::filesystem;

// Dialogs whose answers are set before the click: nothing modal ever opens.
class ScriptedDialogs final : public Dialogs {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void showError(const std::string& message) override { errors.push_back(message); }
    void tileScanned(std::size_t done, std::size_t total) override
    {
        if (onTile) {
            onTile(done, total);
        }
    }
    bool chooseMapFolder(const std::string& title, const std::string& root,
                         std::string& folder) override
    {
        chooserCalls.push_back(title + "|" + root);
        return answer(chooserAnswers, folder);
    }
    bool executeFolderDialog(FolderDialog& dialog) override
    {
        return answer(destinationAnswers, dialog.folder);
    }
    std::optional<std::string> chooseSaveFile(const std::string& fileName) override
    {
        saveCalls.push_back(fileName);
        std::string file;
        return answer(saveAnswers, file) ? std::optional(file) : std::nullopt;
    }
    std::optional<std::string> chooseSaveZip(const std::string& folder,
                                             const std::string& fileName) override
    {
        return chooseSaveFile(folder + "|" + fileName);
    }
    bool executePackageDialog(PackageDialog& dialog) override
    {
        return onPackage && onPackage(dialog);
    }
    bool confirmRelink(const std::string& preview) override
    {
        relinkPreviews.push_back(preview);
        const bool confirmed = !relinkAnswers.empty() && relinkAnswers.front();
        if (!relinkAnswers.empty()) {
            relinkAnswers.pop_front();
        }
        return confirmed;
    }
    void showRelinkReport(const std::string& report) override { relinkReports.push_back(report); }
    void executeWhereUsed(WhereUsedDialog& dialog) override { onWhereUsed(dialog); }
    void openFile(const std::string& path) override { openedFiles.push_back(path); }
    // Records the menu's items ("(Copy)" when greyed, "-" for a separator) and chooses the
    // item whose text starts with the next menu answer; none for an empty answer.
    UINT executeMenu(HMENU menu, HWND /*owner*/, POINT /*at*/) override
    {
        std::vector<std::string> items;
        UINT chosen = 0;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            std::array<char, 64> text{};
            GetMenuStringA(menu, static_cast<UINT>(i), text.data(), text.size(), MF_BYPOSITION);
            const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
            const std::string item = text.data();
            items.push_back((state & MF_SEPARATOR) != 0 ? "-"
                            : (state & MF_GRAYED) != 0  ? "(" + item + ")"
                                                        : item);
            if (!menuAnswer.empty() && item.rfind(menuAnswer, 0) == 0) {
                chosen = GetMenuItemID(menu, i);
            }
        }
        menus.push_back(items);
        return chosen;
    }

    std::deque<std::optional<std::string>> chooserAnswers;
    std::deque<std::optional<std::string>> destinationAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::string menuAnswer;
    std::function<void(WhereUsedDialog&)> onWhereUsed = [](WhereUsedDialog&) {};
    std::function<bool(PackageDialog&)> onPackage;
    std::deque<bool> relinkAnswers;
    std::vector<std::string> relinkPreviews;
    std::vector<std::string> relinkReports;
    std::vector<std::string> saveCalls;
    std::vector<std::string> openedFiles;
    std::vector<std::vector<std::string>> menus;
    std::function<void(std::size_t, std::size_t)> onTile;
    std::vector<std::string> chooserCalls;
    std::vector<std::string> messages;
    std::vector<std::string> errors;

private:
    static bool answer(std::deque<std::optional<std::string>>& answers, std::string& folder)
    {
        if (answers.empty() || !answers.front()) {
            if (!answers.empty()) {
                answers.pop_front();
            }
            return false;
        }
        folder = *answers.front();
        answers.pop_front();
        return true;
    }
};

std::string textOf(HWND control)
{
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// What a click on the button `id` of the box sends the box.
void clickIn(HWND box, int id)
{
    SendMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

std::optional<std::string> clipboard()
{
    if (OpenClipboard(nullptr) == FALSE) {
        return std::nullopt;
    }
    std::optional<std::string> text;
    if (const HANDLE data = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

void putOnClipboard(const std::string& text)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
}

class Win32MainWindowTest : public ::testing::Test {
protected:
    Win32MainWindowTest()
        : sample(folder.path()),
          window(dialogs, MainWindowSetup{test::textOf(folder.path() / "gantrel.ini"), [this] {
                                              if (onClock) {
                                                  onClock();
                                              }
                                              return now += std::chrono::milliseconds(300);
                                          }})
    {
        window.show(SW_SHOWNORMAL);
    }

    HWND control(int id) { return GetDlgItem(window.hwnd(), id); }
    // The visible window the main window owns: a progress dialog, if one is open.
    HWND progressDialog()
    {
        std::pair<HWND, HWND> search{window.hwnd(), nullptr};
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND candidate, LPARAM data) {
                auto& [owner, found] = *reinterpret_cast<std::pair<HWND, HWND>*>(data);
                if (GetWindow(candidate, GW_OWNER) == owner && IsWindowVisible(candidate)) {
                    found = candidate;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.second;
    }
    bool shown(int id) { return (GetWindowLongA(control(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    // What a click on the button sends its window.
    void click(int id)
    {
        SendMessageA(window.hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(control(id)));
    }
    // What a click on a tab sends the window.
    void showTab(int index)
    {
        const HWND tabs = control(ids::PageControl);
        SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
        NMHDR header{tabs, static_cast<UINT_PTR>(ids::PageControl),
                     static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageA(window.hwnd(), WM_NOTIFY, ids::PageControl, reinterpret_cast<LPARAM>(&header));
    }
    void choose(const fs::path& map)
    {
        dialogs.chooserAnswers.push_back(test::textOf(map));
        click(ids::Button2);
    }
    bool exportsShown()
    {
        int count = 0;
        for (int page = 0; page < 7; ++page) {
            showTab(page);
            for (int i = 0; i < 4; ++i) {
                count += shown(ids::exportButton(i)) ? 1 : 0;
            }
        }
        showTab(0);
        return count == 4;
    }
    // A right-click on line `line` of the page's memo (a line past the end: its bottom), with
    // the menu item chosen whose text starts with `item`.
    void rightClick(int page, const char* item, int line)
    {
        const HWND memo = control(ids::memoOfPage(page));
        RECT client{};
        GetClientRect(memo, &client);
        const LRESULT start = SendMessageA(memo, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
        const LRESULT at = start >= 0 ? SendMessageA(memo, EM_POSFROMCHAR, start, 0) : -1;
        POINT point{4, at >= 0 ? HIWORD(at) + 2 : client.bottom - 2};
        ClientToScreen(memo, &point);
        dialogs.menuAnswer = item;
        SendMessageA(memo, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(memo),
                     MAKELPARAM(point.x, point.y));
    }
    // Runs the window's messages (its copier timer) until `done` or a minute has passed.
    bool pumpUntil(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            MSG message{};
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
                DispatchMessageA(&message);
            }
        }
        return done();
    }

    test::TempDir folder;
    test::SampleMap sample;
    ScriptedDialogs dialogs;
    // Every look at the clock finds it 300 ms later, after onClock.
    std::chrono::steady_clock::time_point now;
    std::function<void()> onClock;
    MainWindow window;
};

TEST_F(Win32MainWindowTest, StartsAsDesigned)
{
    EXPECT_EQ(textOf(window.hwnd()), "Gantrel 3.1");
    RECT client{};
    GetClientRect(window.hwnd(), &client);
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(client.right, MulDiv(570, dpi, 96));
    EXPECT_EQ(client.bottom, MulDiv(411, dpi, 96));

    EXPECT_EQ(SendMessageA(control(ids::PageControl), TCM_GETITEMCOUNT, 0, 0), 7);
    EXPECT_TRUE(shown(ids::scanlog));
    EXPECT_FALSE(shown(ids::folderlist));
    EXPECT_EQ(textOf(control(ids::Button7)), "Click me");
    EXPECT_EQ(textOf(control(ids::Button10)), "Copy to another folder (Windows XP)");
    EXPECT_NE(GetWindowLongA(control(ids::Button10), GWL_STYLE) & BS_MULTILINE, 0);
    EXPECT_FALSE(exportsShown());
    EXPECT_FALSE(IsWindowEnabled(control(ids::caminho)));
    EXPECT_EQ(textOf(control(ids::Label1)), "Tiles:");
    EXPECT_EQ(textOf(control(ids::Mema)), "Mema");

    // The working controls lie below the client area and never take the focus.
    for (const int id : {ids::Label1, ids::Label2, ids::tilelist, ids::Mema, ids::telvpath}) {
        RECT place{};
        GetWindowRect(control(id), &place);
        MapWindowPoints(nullptr, window.hwnd(), reinterpret_cast<POINT*>(&place), 2);
        EXPECT_GE(place.top, client.bottom) << id;
        EXPECT_EQ(GetWindowLongA(control(id), GWL_STYLE) & WS_TABSTOP, 0) << id;
    }
    EXPECT_FALSE(IsWindowEnabled(control(ids::tilelist)));
    EXPECT_FALSE(IsWindowEnabled(control(ids::Mema)));

    // The maximise box, and the whole window on the work area, at the designed place if it fits.
    EXPECT_NE(GetWindowLongA(window.hwnd(), GWL_STYLE) & WS_MAXIMIZEBOX, 0);
    RECT outer{};
    GetWindowRect(window.hwnd(), &outer);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ASSERT_NE(GetMonitorInfoA(MonitorFromWindow(window.hwnd(), MONITOR_DEFAULTTONEAREST), &monitor),
              FALSE);
    const RECT& work = monitor.rcWork;
    EXPECT_TRUE(outer.left >= work.left && outer.top >= work.top && outer.right <= work.right &&
                outer.bottom <= work.bottom);
    if (516 + (outer.right - outer.left) <= work.right &&
        70 + (outer.bottom - outer.top) <= work.bottom) {
        EXPECT_EQ(outer.left, 516);
        EXPECT_EQ(outer.top, 70);
    }
}

TEST_F(Win32MainWindowTest, ANewDpiLaysTheWindowOutAgain)
{
    const auto fontHeight = [this](int id) {
        LOGFONTA font{};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control(id), WM_GETFONT, 0, 0)),
                   sizeof(font), &font);
        return font.lfHeight;
    };
    const auto placeOf = [this](int id) {
        RECT place{};
        GetWindowRect(control(id), &place);
        MapWindowPoints(nullptr, window.hwnd(), reinterpret_cast<POINT*>(&place), 2);
        return place;
    };
    for (const int dpi : {144, 96}) {
        const RECT suggested{100, 50, 100 + MulDiv(600, dpi, 96), 50 + MulDiv(450, dpi, 96)};
        SendMessageA(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        RECT outer{};
        GetWindowRect(window.hwnd(), &outer);
        EXPECT_TRUE(EqualRect(&outer, &suggested)) << dpi;
        const RECT notice = placeOf(ids::Button7);
        EXPECT_EQ(notice.left, MulDiv(486, dpi, 96)) << dpi;
        EXPECT_EQ(notice.top, MulDiv(377, dpi, 96)) << dpi;
        EXPECT_EQ(notice.right - notice.left, MulDiv(75, dpi, 96)) << dpi;
        EXPECT_EQ(fontHeight(ids::Button7), -MulDiv(11, dpi, 96)) << dpi;
        EXPECT_EQ(fontHeight(ids::GroupBox1), -MulDiv(13, dpi, 96)) << dpi;
        EXPECT_EQ(fontHeight(ids::folderlist), -MulDiv(13, dpi, 96)) << dpi;
        // A page's controls lie on the tab control's page area, which grew with its font.
        RECT area{};
        GetClientRect(control(ids::PageControl), &area);
        SendMessageA(control(ids::PageControl), TCM_ADJUSTRECT, FALSE,
                     reinterpret_cast<LPARAM>(&area));
        MapWindowPoints(control(ids::PageControl), window.hwnd(), reinterpret_cast<POINT*>(&area),
                        2);
        const RECT copy = placeOf(ids::Button1);
        EXPECT_EQ(copy.left, area.left + MulDiv(8, dpi, 96)) << dpi;
        EXPECT_EQ(copy.top, area.top + MulDiv(232, dpi, 96)) << dpi;
    }
}

TEST_F(Win32MainWindowTest, ReturnPressesTheFocusedButton)
{
    SetFocus(control(ids::Button7));
    ASSERT_EQ(GetFocus(), control(ids::Button7));
    MSG key{control(ids::Button7), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_NE(IsDialogMessageA(window.hwnd(), &key), FALSE);
    EXPECT_EQ(dialogs.messages.size(), 1u) << "the notice of \"Click me\"";
}

// Escape and Tab in a memo go through IsDialogMessage as the program's message loop hands
// them over: the memo behaves as a dialog's edit, which posts WM_CLOSE to its parent on Escape
// and asks it with WM_NEXTDLGCTL to move the focus on Tab.
TEST_F(Win32MainWindowTest, EscapeInAMemoKeepsTheWindowAndTabLeavesItBothWays)
{
    choose(sample.map);
    // The log takes its last line when the search for the missing entries has ended.
    ASSERT_TRUE(pumpUntil([&] { return window.state().log.back().rfind("Search ", 0) == 0; }));
    const auto press = [&](HWND memo, WPARAM key, bool shift) {
        std::array<BYTE, 256> keys{};
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys.data());
        SetFocus(memo);
        MSG message{memo, WM_KEYDOWN, key, 0, 0, {}};
        window.translate(message);
        pumpUntil([] {
            MSG pending{};
            return PeekMessageA(&pending, nullptr, 0, 0, PM_NOREMOVE) == FALSE;
        });
        keys.fill(0);
        SetKeyboardState(keys.data());
    };
    for (int page = 0; page < 7; ++page) {
        showTab(page);
        const HWND memo = control(ids::memoOfPage(page));
        const std::string lines = textOf(memo);
        press(memo, VK_ESCAPE, false);
        ASSERT_NE(IsWindow(window.hwnd()), FALSE) << "Escape on page " << page;
        EXPECT_EQ(textOf(memo), lines);
        EXPECT_EQ(GetFocus(), memo);

        press(memo, VK_TAB, false);
        EXPECT_EQ(GetFocus(), control(ids::copyButtonOfPage(page))) << "Tab on page " << page;
        press(memo, VK_TAB, true);
        EXPECT_EQ(GetFocus(), control(ids::Button7)) << "Shift+Tab on page " << page;
    }
}

TEST_F(Win32MainWindowTest, ACopyHoldsUnicodeTextAndItsLocaleAndABusyClipboardIsSaid)
{
    choose(sample.map);
    click(ids::Button1);
    const std::string log = window::clipboardText(window.state().log);
    ASSERT_TRUE(OpenClipboard(nullptr));
    const auto* units = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
    ASSERT_NE(units, nullptr);
    EXPECT_EQ(std::wstring(units), platform::win32::toWide(log));
    GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
    const auto* locale = static_cast<const LCID*>(GlobalLock(GetClipboardData(CF_LOCALE)));
    ASSERT_NE(locale, nullptr);
    EXPECT_EQ(*locale, GetSystemDefaultLCID());
    GlobalUnlock(GetClipboardData(CF_LOCALE));
    CloseClipboard();

    // Another program holds the clipboard open for longer than the copy tries.
    putOnClipboard("before");
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE copied = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread other([&] {
        OpenClipboard(nullptr);
        SetEvent(opened);
        WaitForSingleObject(copied, INFINITE);
        CloseClipboard();
    });
    WaitForSingleObject(opened, INFINITE);
    click(ids::Button1);
    SetEvent(copied);
    other.join();
    CloseHandle(opened);
    CloseHandle(copied);
    EXPECT_EQ(clipboard(), "before");
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back(), kClipboardBusy);
}

TEST_F(Win32MainWindowTest, AnalysisOfTheSampleMapShowsInEveryTabAndCopies)
{
    putOnClipboard("before");
    click(ids::Button8);
    EXPECT_EQ(clipboard(), "before") << "an empty list leaves the clipboard alone";

    choose(test::examplesFolder() / "TELV 2" / "maps" / "Demo");
    EXPECT_EQ(dialogs.chooserCalls, std::vector<std::string>{"Select your MAP folder|\\"});
    ASSERT_TRUE(dialogs.errors.empty()) << dialogs.errors.front();
    const WindowState& state = window.state();
    ASSERT_FALSE(state.objectFolders.empty());
    EXPECT_EQ(textOf(control(ids::caminho)), state.path);
    EXPECT_TRUE(exportsShown());
    EXPECT_NE(textOf(control(ids::Label1)), "Tiles:");

    // Shift+Tab from its copy button into the log leaves the caret at the end, nothing selected.
    SetFocus(control(ids::Button1));
    std::array<BYTE, 256> keys{};
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys.data());
    MSG tab{control(ids::Button1), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    window.translate(tab);
    keys.fill(0);
    SetKeyboardState(keys.data());
    ASSERT_EQ(GetFocus(), control(ids::scanlog));
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(control(ids::scanlog), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, end);
    EXPECT_EQ(end, static_cast<DWORD>(GetWindowTextLengthA(control(ids::scanlog))));

    for (std::size_t page = 0; page < window::kPages.size(); ++page) {
        showTab(static_cast<int>(page));
        const int memo = ids::memoOfPage(static_cast<int>(page));
        EXPECT_TRUE(shown(memo)) << page;
        EXPECT_TRUE(shown(ids::copyButtonOfPage(static_cast<int>(page))));
        EXPECT_FALSE(shown(ids::memoOfPage((static_cast<int>(page) + 1) % 7)));
        const std::string expected =
            window::clipboardText(window::listOf(state, window::kPages[page].list));
        EXPECT_EQ(textOf(control(memo)), expected) << page;
        click(ids::copyButtonOfPage(static_cast<int>(page)));
        if (!expected.empty()) {
            EXPECT_EQ(clipboard(), expected) << page;
        }
    }
    // The export buttons lie on their own pages only.
    showTab(1);
    EXPECT_TRUE(shown(ids::scof_copy));
    EXPECT_TRUE(shown(ids::Button10));
    EXPECT_FALSE(shown(ids::slif_copy));
}

TEST_F(Win32MainWindowTest, ALongScanShowsItsProgressUntilItsEnd)
{
    std::vector<std::string> shownProgress;
    dialogs.onTile = [&](std::size_t, std::size_t) {
        if (const HWND dialog = progressDialog()) {
            EXPECT_EQ(textOf(dialog), "Gantrel 3.1");
            EXPECT_FALSE(IsWindowEnabled(window.hwnd())) << "the dialog is modal";
            shownProgress.push_back(
                textOf(GetDlgItem(dialog, DelayedProgress::kTextId)) + " " +
                std::to_string(
                    SendMessageA(GetDlgItem(dialog, DelayedProgress::kBarId), PBM_GETPOS, 0, 0)));
        }
    };
    choose(sample.addMap("Long", 3));
    // The first tile comes before half a second has passed; the window repaints after each
    // later one.
    EXPECT_EQ(shownProgress, (std::vector<std::string>{"Tile 2 of 3 666", "Tile 3 of 3 1000"}));
    EXPECT_EQ(progressDialog(), nullptr) << "the end message closed it";
    EXPECT_TRUE(IsWindowEnabled(window.hwnd()));
}

TEST_F(Win32MainWindowTest, CancelEscapeOrClosingTheWindowEndsTheScanAndWritesNoSettings)
{
    const fs::path map = sample.addMap("Large", 4);
    const fs::path settings = folder.path() / "gantrel.ini";
    bool closed = false;
    window.onClosed = [&] { closed = true; };
    // Each is done at the third tile, the first with the dialog shown; Escape is posted and
    // reaches the dialog when the fourth tile lets it take its input.
    const std::vector<std::function<void(HWND)>> cancels = {
        [](HWND dialog) { SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0); },
        [](HWND dialog) {
            PostMessageA(GetDlgItem(dialog, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        },
        [this](HWND) { SendMessageA(window.hwnd(), WM_CLOSE, 0, 0); },
    };
    for (std::size_t i = 0; i < cancels.size(); ++i) {
        std::size_t lastTile = 0;
        dialogs.onTile = [&](std::size_t done, std::size_t) {
            lastTile = done;
            if (done == 3) {
                const HWND dialog = progressDialog();
                ASSERT_NE(dialog, nullptr);
                EXPECT_EQ(textOf(GetDlgItem(dialog, IDCANCEL)), "Cancel");
                cancels[i](dialog);
            }
        };
        choose(map);
        const WindowState& state = window.state();
        ASSERT_FALSE(state.log.empty());
        EXPECT_EQ(state.log.back(), "Analysis cancelled.") << i;
        EXPECT_EQ(lastTile, i == 1 ? 4u : 3u) << i;
        EXPECT_FALSE(fs::exists(settings)) << i;
        EXPECT_EQ(progressDialog(), nullptr) << i;
        EXPECT_EQ(closed, i == 2) << "the window closes once the scan has ended";
    }
    EXPECT_FALSE(IsWindow(window.hwnd()));
}

TEST_F(Win32MainWindowTest, ALongListFillsItsMemoInStepsWhileTheWindowTakesInput)
{
    // A map of 2,500 objects named after it.
    const auto longMap = [&](const std::string& name) {
        const fs::path map = sample.addMap(name, 1);
        std::string tile;
        for (int i = 0; i < 2500; ++i) {
            tile += "Sceneryobjects\\" + name + "\\object_" + std::to_string(i) + ".sco\r\n";
        }
        test::writeFile(map / "tile_0.map", tile);
        choose(map);
        EXPECT_TRUE(dialogs.errors.empty());
        return window::clipboardText(window.state().objects);
    };
    std::string whole = longMap("First");
    const auto lines = [&] {
        return SendMessageA(control(ids::filelist), EM_GETLINECOUNT, 0, 0) - 1;
    };

    showTab(3);
    EXPECT_EQ(lines(), 1000) << "the first step at once";
    EXPECT_TRUE(pumpUntil([&] { return textOf(control(ids::filelist)) == whole; }));
    EXPECT_EQ(SendMessageA(control(ids::filelist), EM_GETFIRSTVISIBLELINE, 0, 0), 0)
        << "the view stays at the top while the rest is appended";

    // A copy takes the whole list at once, whatever the memo holds so far.
    showTab(0);
    whole = longMap("Second");
    showTab(3);
    ASSERT_EQ(lines(), 1000);
    click(ids::Button5);
    EXPECT_EQ(clipboard(), whole);
    EXPECT_EQ(textOf(control(ids::filelist)), whole);
}

TEST_F(Win32MainWindowTest, RejectedFolderAndErrorBoxLeaveTheWindowUsable)
{
    choose(test::examplesFolder() / "TELV 2" / "maps" / "NotAMap");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_FALSE(exportsShown());

    fs::remove(sample.map / "tile_1_0.map");
    fs::create_directory(sample.map / "tile_1_0.map");
    choose(sample.map);
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find("tile_1_0.map"), std::string::npos) << dialogs.errors[0];

    click(ids::Button7);
    EXPECT_EQ(dialogs.messages.back().rfind(std::string("Gantrel 3.1, version ") + kVersion, 0),
              0u);
}

TEST_F(Win32MainWindowTest, ExportsRunToTheirEndMessage)
{
    choose(sample.map);
    ASSERT_TRUE(exportsShown());
    const test::TempDir shellTarget;
    const test::TempDir copierTarget;
    dialogs.messages.clear();

    dialogs.destinationAnswers = {std::nullopt, shellTarget.str()};
    click(ids::scof_copy);
    EXPECT_EQ(dialogs.messages.size(), 1u) << "a cancel shows the notice alone";
    click(ids::scof_copy);
    EXPECT_EQ(dialogs.messages.back(), "Used Scenery Object folders copied successfully.");
    EXPECT_TRUE(fs::exists(shellTarget.path() / "Sceneryobjects" / "Trees" / "oak.sco"));

    dialogs.messages.clear();
    dialogs.destinationAnswers = {copierTarget.str()};
    click(ids::Button11);
    EXPECT_TRUE(pumpUntil([&] { return dialogs.messages.size() == 2; }));
    EXPECT_EQ(dialogs.messages.back(), "Used Spline folders copied successfully.");
    EXPECT_TRUE(fs::exists(copierTarget.path() / "Splines" / "Roads" / "road.sli"));
}

TEST_F(Win32MainWindowTest, ListMenusCopySelectAndSaveTheirList)
{
    choose(sample.map);
    showTab(3);
    rightClick(3, "Select All", 1);
    rightClick(0, "", 0);
    rightClick(3, "Copy", 0);
    const std::vector<std::string> common{"(Copy\tCtrl+C)", "Select All\tCtrl+A", "-",
                                          "Copy to Clipboard\tCtrl+Shift+C", "Save As..."};
    std::vector<std::string> withWhereUsed = common;
    withWhereUsed.insert(withWhereUsed.end(), {"-", "Where Used..."});
    ASSERT_EQ(dialogs.menus.size(), 3u);
    EXPECT_EQ(dialogs.menus[0], withWhereUsed);
    EXPECT_EQ(dialogs.menus[1], common) << "the log offers no Where Used";
    EXPECT_EQ(dialogs.menus[2][0], "Copy\tCtrl+C") << "once something is selected";
    const std::string objects = window::clipboardText(window.state().objects);
    EXPECT_EQ(clipboard(), objects);

    // "Save As..." from the keyboard's menu key writes the list with CR LF; a file that cannot
    // be written says so.
    const fs::path saved = folder.path() / "saved.txt";
    const fs::path unwritable = folder.path() / "no" / "such.txt";
    dialogs.saveAnswers = {test::textOf(saved), test::textOf(unwritable)};
    dialogs.menuAnswer = "Save As";
    SendMessageA(control(ids::filelist), WM_CONTEXTMENU, 0, -1);
    EXPECT_EQ(test::readFile(saved), objects);
    rightClick(6, "Save As", 0);
    EXPECT_EQ(dialogs.saveCalls,
              (std::vector<std::string>{"Object list.txt", "Missing Splines.txt"}));
    EXPECT_EQ(dialogs.errors,
              std::vector<std::string>{"Unable to write to " + test::textOf(unwritable)});
}

TEST_F(Win32MainWindowTest, WhereUsedListsSortsCopiesAndOpensTheTilesOfAnEntry)
{
    choose(sample.map);
    std::vector<std::string> entries;
    std::vector<std::string> shownTiles;
    dialogs.onWhereUsed = [&](WhereUsedDialog& dialog) {
        const HWND table = GetDlgItem(dialog.hwnd(), WhereUsedDialog::kTableId);
        EXPECT_EQ(textOf(dialog.hwnd()), "Where Used");
        entries.push_back(textOf(GetDlgItem(dialog.hwnd(), WhereUsedDialog::kEntryId)) + " / " +
                          textOf(GetDlgItem(dialog.hwnd(), WhereUsedDialog::kCountId)));
        shownTiles.clear();
        for (int item = 0; item < SendMessageA(table, LVM_GETITEMCOUNT, 0, 0); ++item) {
            std::array<char, 64> cells[2]{};
            for (int column = 0; column < 2; ++column) {
                LVITEMA cell{};
                cell.iSubItem = column;
                cell.pszText = cells[column].data();
                cell.cchTextMax = static_cast<int>(cells[column].size());
                SendMessageA(table, LVM_GETITEMTEXTA, static_cast<WPARAM>(item),
                             reinterpret_cast<LPARAM>(&cell));
            }
            shownTiles.push_back(std::string(cells[0].data()) + ":" + cells[1].data());
        }
        // Sorted by line, the table copies in that order and opens the tile of a row.
        NMLISTVIEW click{};
        click.hdr = {table, WhereUsedDialog::kTableId, static_cast<UINT>(LVN_COLUMNCLICK)};
        click.iItem = -1;
        click.iSubItem = 1;
        SendMessageA(dialog.hwnd(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
        SendMessageA(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(WhereUsedDialog::kCopyId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog.hwnd(), WhereUsedDialog::kCopyId)));
        NMITEMACTIVATE twice{};
        twice.hdr = {table, WhereUsedDialog::kTableId, static_cast<UINT>(NM_DBLCLK)};
        twice.iItem = 0;
        SendMessageA(dialog.hwnd(), WM_NOTIFY, twice.hdr.idFrom, reinterpret_cast<LPARAM>(&twice));
    };

    // oak.sco, the third object, is on line 3 of the first tile and line 2 of the second.
    showTab(3);
    const HWND objects = control(ids::filelist);
    const LRESULT oak =
        SendMessageA(objects, EM_POSFROMCHAR, SendMessageA(objects, EM_LINEINDEX, 2, 0), 0);
    SendMessageA(objects, WM_LBUTTONDBLCLK, 0, MAKELPARAM(4, HIWORD(oak) + 2));
    ASSERT_EQ(entries,
              std::vector<std::string>{"Sceneryobjects\\Trees\\oak.sco / Used on 2 tiles"});
    EXPECT_EQ(shownTiles, (std::vector<std::string>{"tile_0_0.map:3", "tile_1_0.map:2"}));
    EXPECT_EQ(clipboard(), "Tile\tLine\r\ntile_1_0.map\t2\r\ntile_0_0.map\t3\r\n");
    EXPECT_EQ(dialogs.openedFiles,
              std::vector<std::string>{test::textOf(sample.map / "tile_1_0.map")});

    // The menu's item opens the same dialog; below the last entry it is greyed, and the log
    // takes a double-click as text.
    showTab(6);
    rightClick(6, "Where Used", 0);
    EXPECT_EQ(shownTiles, std::vector<std::string>{"tile_1_0.map:3"});
    rightClick(6, "", 100);
    EXPECT_EQ(dialogs.menus.back().back(), "(Where Used...)");
    showTab(0);
    SendMessageA(control(ids::scanlog), WM_LBUTTONDBLCLK, 0, MAKELPARAM(4, 4));
    EXPECT_EQ(entries.size(), 2u);
}

// A drop of these paths, as the shell hands it to the window.
HDROP droppedPaths(const std::vector<fs::path>& paths)
{
    std::wstring names;
    for (const fs::path& path : paths) {
        names += path.wstring() + L'\0';
    }
    const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (names.size() + 1) * 2);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(drop + 1, names.c_str(), names.size() * 2);
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

TEST_F(Win32MainWindowTest, ADroppedFolderOrTheCommandLinesIsAnalysedAsAChosenOne)
{
    const fs::path other = sample.addMap("Other", 1);
    for (const auto& refused : std::vector<std::vector<fs::path>>{
             {sample.map / "tile_0_0.map"}, {sample.map, other}, {folder.path() / "gone"}}) {
        SendMessageA(window.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(droppedPaths(refused)),
                     0);
    }
    EXPECT_TRUE(window.state().tiles.empty());
    EXPECT_TRUE(dialogs.messages.empty() && dialogs.errors.empty());

    // The map whose tiles the window lists last.
    const auto analysed = [&](const fs::path& map) {
        const std::vector<std::string>& tiles = window.state().tiles;
        return !tiles.empty() && tiles.front().rfind(test::textOf(map / "tile_0"), 0) == 0;
    };
    SendMessageA(window.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(droppedPaths({sample.map})),
                 0);
    EXPECT_TRUE(analysed(sample.map));
    EXPECT_FALSE(window.state().objects.empty());
    EXPECT_TRUE(dialogs.chooserCalls.empty());

    window.analyseWhenShown(test::textOf(other));
    EXPECT_TRUE(analysed(sample.map)) << "not before the window takes its messages";
    EXPECT_TRUE(pumpUntil([&] { return analysed(other); }));
}

TEST_F(Win32MainWindowTest, ShortcutsWorkThroughTheMessageLoopAndTheirTooltipsNameThem)
{
    choose(sample.map);
    const auto press = [&](std::initializer_list<BYTE> held, WPARAM key, int to = ids::Button7) {
        std::array<BYTE, 256> keys{};
        for (const BYTE down : held) {
            keys[down] = 0x80;
        }
        SetKeyboardState(keys.data());
        MSG message{control(to), WM_KEYDOWN, key, 0, 0, {}};
        const bool taken = window.translate(message);
        keys.fill(0);
        SetKeyboardState(keys.data());
        return taken;
    };
    EXPECT_TRUE(press({VK_CONTROL}, '6'));
    EXPECT_TRUE(shown(ids::missingobjects));
    EXPECT_TRUE(press({VK_CONTROL, VK_SHIFT}, 'C'));
    EXPECT_EQ(clipboard(), window::clipboardText(window.state().missingObjects));
    EXPECT_TRUE(press({}, VK_F1));
    EXPECT_EQ(dialogs.messages.size(), 2u) << "the end of the analysis and the notice";
    dialogs.chooserAnswers.push_back(std::nullopt);
    EXPECT_TRUE(press({VK_CONTROL}, 'O'));
    EXPECT_EQ(dialogs.chooserCalls.size(), 2u);
    press({VK_CONTROL}, 'A', ids::missingobjects);
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(control(ids::missingobjects), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(end - start, window::clipboardText(window.state().missingObjects).size());

    // The window's tooltips: one for each button with a shortcut, one for each tab.
    HWND tips = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND candidate, LPARAM found) {
            std::array<char, 32> name{};
            GetClassNameA(candidate, name.data(), static_cast<int>(name.size()));
            if (lstrcmpiA(name.data(), TOOLTIPS_CLASSA) == 0) {
                *reinterpret_cast<HWND*>(found) = candidate;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&tips));
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 2 + 7 + 4 + 7);
    std::array<char, 128> text{};
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = window.hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(control(ids::Button2));
    tool.lpszText = text.data();
    SendMessageA(tips, TTM_GETTEXTA, text.size(), reinterpret_cast<LPARAM>(&tool));
    EXPECT_NE(std::string(text.data()).find("Ctrl+O"), std::string::npos) << text.data();
    tool.hwnd = control(ids::PageControl);
    tool.uId = 4;
    SendMessageA(tips, TTM_GETTEXTA, text.size(), reinterpret_cast<LPARAM>(&tool));
    EXPECT_NE(std::string(text.data()).find("Ctrl+5"), std::string::npos) << text.data();
    // An export button's tip is longer than a tooltip keeps: it asks the window for it.
    NMTTDISPINFOA asked{};
    asked.hdr = {tips, reinterpret_cast<UINT_PTR>(control(ids::Button10)),
                 static_cast<UINT>(TTN_GETDISPINFOA)};
    SendMessageA(window.hwnd(), WM_NOTIFY, asked.hdr.idFrom, reinterpret_cast<LPARAM>(&asked));
    ASSERT_NE(asked.lpszText, nullptr);
    EXPECT_NE(std::string(asked.lpszText).find("in the list's menu (Ctrl+Shift+P)"),
              std::string::npos)
        << asked.lpszText;

    // Ctrl+Shift+P: the package dialog of the folder lists' menu.
    int packageDialogs = 0;
    dialogs.onPackage = [&](PackageDialog&) { return ++packageDialogs, false; };
    EXPECT_TRUE(press({VK_CONTROL, VK_SHIFT}, 'P'));
    EXPECT_EQ(packageDialogs, 1);
}

// The rows of the package dialog's table: "folder|files|size", in brackets when unchecked.
std::vector<std::string> packageRows(HWND dialog)
{
    const HWND table = GetDlgItem(dialog, PackageDialog::kFoldersId);
    std::vector<std::string> rows;
    for (int item = 0; item < SendMessageA(table, LVM_GETITEMCOUNT, 0, 0); ++item) {
        std::string row;
        for (int column = 0; column < 3; ++column) {
            std::array<char, 128> cell{};
            LVITEMA text{};
            text.iSubItem = column;
            text.pszText = cell.data();
            text.cchTextMax = static_cast<int>(cell.size());
            SendMessageA(table, LVM_GETITEMTEXTA, static_cast<WPARAM>(item),
                         reinterpret_cast<LPARAM>(&text));
            row += (column > 0 ? "|" : "") + std::string(cell.data());
        }
        const auto state = static_cast<UINT>(
            SendMessageA(table, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_STATEIMAGEMASK));
        rows.push_back(state == INDEXTOSTATEIMAGEMASK(2) ? row : "(" + row + ")");
    }
    return rows;
}

// A click on the check box of the row, as the list view reports it.
void setChecked(HWND dialog, int row, bool checked)
{
    LVITEMA state{};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageA(GetDlgItem(dialog, PackageDialog::kFoldersId), LVM_SETITEMSTATE,
                 static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
}

TEST_F(Win32MainWindowTest, FolderListsMakeTheMapPackageThroughItsDialog)
{
    showTab(1);
    rightClick(1, "", 0);
    EXPECT_EQ(dialogs.menus.back().back(), "(Make Map Package...\tCtrl+Shift+P)")
        << "offered after a completed run only";

    // A folder of missing objects alone is not in the installation.
    test::writeFile(sample.map / "tile_2_0.map", "Sceneryobjects\\Gone\\ghost.sco\r\n");
    choose(sample.map);
    const std::string map = test::textOf(sample.map.filename());
    std::vector<std::vector<std::string>> shown;
    std::vector<std::string> totals;
    dialogs.onPackage = [&](PackageDialog& dialog) {
        EXPECT_EQ(textOf(dialog.hwnd()), window::kPackageDialogTitle);
        const HWND total = GetDlgItem(dialog.hwnd(), PackageDialog::kTotalId);
        shown.push_back(packageRows(dialog.hwnd()));
        clickIn(dialog.hwnd(), PackageDialog::kUncheckAllId);
        totals.push_back(textOf(total));
        setChecked(dialog.hwnd(), 0, true);  // the map folder alone
        totals.push_back(textOf(total));
        shown.push_back(packageRows(dialog.hwnd()));
        clickIn(dialog.hwnd(), IDOK);
        return dialog.created();
    };
    const fs::path zip = folder.path() / "Demo.zip";
    dialogs.saveAnswers = {test::textOf(zip)};
    showTab(2);
    rightClick(2, "Make Map Package", 0);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].front().rfind("maps\\" + map + "\\|5|", 0), 0u) << shown[0].front();
    EXPECT_EQ(std::count(shown[0].begin(), shown[0].end(), "(Sceneryobjects\\Gone\\|0|0 bytes)"), 1)
        << "greyed, unchecked";
    EXPECT_EQ(totals[0], "Total: 0 files, 0 bytes");
    EXPECT_EQ(totals[1].rfind("Total: 5 files, ", 0), 0u) << totals[1];
    EXPECT_EQ(dialogs.saveCalls, std::vector<std::string>{"|" + map + ".zip"});
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back().rfind("The map package holds 5 files, ", 0), 0u)
        << dialogs.messages.back();
    EXPECT_TRUE(fs::is_regular_file(zip));

    // The unchecked folders are remembered; "Check all" leaves the missing one unchecked; the
    // next save dialog opens where the last package went; a cancel there writes nothing.
    dialogs.onPackage = [&](PackageDialog& dialog) {
        shown.push_back(packageRows(dialog.hwnd()));
        clickIn(dialog.hwnd(), PackageDialog::kCheckAllId);
        shown.push_back(packageRows(dialog.hwnd()));
        clickIn(dialog.hwnd(), IDOK);
        return dialog.created();
    };
    const std::size_t messages = dialogs.messages.size();
    rightClick(1, "Make Map Package", 0);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[2], shown[1]);
    EXPECT_EQ(std::count_if(shown[3].begin(), shown[3].end(),
                            [](const std::string& row) { return row.front() == '('; }),
              1);
    EXPECT_EQ(dialogs.saveCalls.back(), test::textOf(folder.path()) + "|" + map + ".zip");
    EXPECT_EQ(dialogs.messages.size(), messages);

    // Cancel in the progress dialog leaves no zip behind, and no message.
    dialogs.onPackage = [&](PackageDialog& dialog) { return clickIn(dialog.hwnd(), IDOK), true; };
    const fs::path cancelled = folder.path() / "Cancelled.zip";
    dialogs.saveAnswers = {test::textOf(cancelled)};
    bool cancelPressed = false;
    onClock = [&] {
        if (const HWND progress = progressDialog(); progress != nullptr && !cancelPressed) {
            cancelPressed = true;
            SendMessageA(GetDlgItem(progress, IDCANCEL), BM_CLICK, 0, 0);
        }
    };
    const auto listing = [&] {
        std::set<fs::path> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder.path())) {
            names.insert(entry.path().filename());
        }
        return names;
    };
    const std::set<fs::path> before = listing();
    rightClick(1, "Make Map Package", 0);
    onClock = nullptr;
    EXPECT_TRUE(cancelPressed);
    EXPECT_EQ(dialogs.messages.size(), messages);
    EXPECT_EQ(listing(), before) << "neither the zip nor a part of it";

    // Closing the dialog ends it before the save dialog.
    dialogs.onPackage = [&](PackageDialog& dialog) {
        clickIn(dialog.hwnd(), IDCANCEL);
        return dialog.created();
    };
    rightClick(1, "Make Map Package", 0);
    EXPECT_EQ(dialogs.saveCalls.size(), 3u);
}

TEST_F(Win32MainWindowTest, AMissingObjectFoundElsewhereIsRelinkedFromItsWhereUsedDialogAndUndone)
{
    test::writeFile(sample.installation / "Sceneryobjects" / "Forest" / "birch.sco", "");
    const fs::path tile = sample.map / "tile_1_0.map";
    const std::string original = test::readFile(tile);
    choose(sample.map);
    // The log says that the search runs beside the window, then what it found.
    EXPECT_NE(textOf(control(ids::scanlog)).find(window::kSearchingLogLine), std::string::npos);
    ASSERT_TRUE(
        pumpUntil([&] { return window.state().log.back().rfind("Search ended: ", 0) == 0; }));
    EXPECT_NE(textOf(control(ids::scanlog)).find("Search ended: 1 of 2 missing found elsewhere"),
              std::string::npos);

    showTab(5);
    rightClick(5, "Found Elsewhere", 0);
    ASSERT_EQ(dialogs.relinkReports.size(), 1u);
    EXPECT_EQ(dialogs.relinkReports[0],
              "Sceneryobjects\\Trees\\birch.sco\n    Sceneryobjects\\Forest\\birch.sco\n");
    EXPECT_EQ(dialogs.menus.back(),
              (std::vector<std::string>{"(Copy\tCtrl+C)", "Select All\tCtrl+A", "-",
                                        "Copy to Clipboard\tCtrl+Shift+C", "Save As...", "-",
                                        "Found Elsewhere...", "(Cancel Search)",
                                        "(Undo Last Relink)", "-", "Where Used..."}));

    std::vector<std::string> candidates;
    dialogs.onWhereUsed = [&](WhereUsedDialog& dialog) {
        const HWND list = GetDlgItem(dialog.hwnd(), WhereUsedDialog::kFoundListId);
        EXPECT_EQ(textOf(GetDlgItem(dialog.hwnd(), WhereUsedDialog::kFoundBoxId)),
                  window::kFoundElsewhereCaption);
        candidates.clear();
        for (int item = 0; item < SendMessageA(list, LB_GETCOUNT, 0, 0); ++item) {
            std::array<char, 128> text{};
            SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(item),
                         reinterpret_cast<LPARAM>(text.data()));
            candidates.emplace_back(text.data());
        }
        clickIn(dialog.hwnd(), WhereUsedDialog::kRelinkId);
    };
    dialogs.relinkAnswers = {false, true};
    rightClick(5, "Where Used", 0);  // cancelled at the preview
    EXPECT_EQ(candidates, std::vector<std::string>{"Sceneryobjects\\Forest\\birch.sco"});
    ASSERT_EQ(dialogs.relinkPreviews.size(), 1u);
    EXPECT_NE(dialogs.relinkPreviews[0].find("tile_1_0.map"), std::string::npos);
    EXPECT_EQ(dialogs.relinkReports.size(), 1u);
    EXPECT_EQ(test::readFile(tile), original);

    rightClick(5, "Where Used", 0);
    ASSERT_EQ(dialogs.relinkPreviews.size(), 2u);
    ASSERT_EQ(dialogs.relinkReports.size(), 2u);
    EXPECT_NE(dialogs.relinkReports[1].find("Backup: "), std::string::npos);
    EXPECT_NE(test::readFile(tile).find("Sceneryobjects\\Forest\\birch.sco\r\n"),
              std::string::npos);
    EXPECT_EQ(textOf(control(ids::missingobjects)), "") << "analysed again";

    rightClick(5, "Undo Last Relink", 0);
    EXPECT_EQ(dialogs.relinkReports.back(), "Restored 1 tile.\n  tile_1_0.map\n");
    EXPECT_EQ(test::readFile(tile), original);
    EXPECT_EQ(textOf(control(ids::missingobjects)), "Sceneryobjects\\Trees\\birch.sco\r\n");
}

}  // namespace
}  // namespace gantrel::ui::win32
