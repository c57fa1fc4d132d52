// SPDX-License-Identifier: MIT
// The map folder chooser and the destination folder dialog over the real shell browser,
// answered from a timer that runs inside the browser's own modal loop.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "browser_tree.h"
#include "controls.h"
#include "folder_dialog.h"
#include "map_folder_chooser.h"
#include "support/test_support.h"

namespace gantrel::ui::win32 {
namespace {

namespace fs = std::filesystem;

// The text of the tree's selected node.
std::string selectedNode(HWND browser)
{
    const HWND tree = browserTree(browser);
    char text[260] = {};
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    if (tree == nullptr || item.hItem == nullptr ||
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) == FALSE) {
        return {};
    }
    return text;
}

// Answers each browser that opens, in turn: an answer gets the browser's window and returns the
// button to press (IDOK, IDCANCEL, or the own new-folder button). Wine fills the tree after the
// browser has shown, so an answer that reads the preselection waits for a selected node, up to a
// minute on a loaded machine; one for a browser opened without a preselection does not wait.
class BrowserAnswer {
public:
    struct Step {
        template <class Answer>
        requires std::is_invocable_r_v<int, Answer, HWND> Step(Answer reply, bool waits = true)
            : answer(std::move(reply)), waitsForSelection(waits)
        {
        }
        std::function<int(HWND)> answer;
        bool waitsForSelection;
    };

    explicit BrowserAnswer(Step step) : BrowserAnswer(std::deque<Step>{std::move(step)}) {}
    explicit BrowserAnswer(std::deque<Step> steps)
    {
        current() = std::move(steps);
        m_timer = SetTimer(nullptr, 0, 100, &BrowserAnswer::tick);
    }
    ~BrowserAnswer()
    {
        KillTimer(nullptr, m_timer);
        current().clear();
    }
    BrowserAnswer(const BrowserAnswer&) = delete;
    BrowserAnswer& operator=(const BrowserAnswer&) = delete;

private:
    static std::deque<Step>& current()
    {
        static std::deque<Step> steps;
        return steps;
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
        static HWND answered = nullptr;
        static int waited = 0;
        HWND browser = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &findBrowser, reinterpret_cast<LPARAM>(&browser));
        if (browser == nullptr || browser == answered || current().empty() ||
            (current().front().waitsForSelection && selectedNode(browser).empty() &&
             ++waited < 600)) {
            return;
        }
        answered = browser;
        waited = 0;
        const int button = current().front().answer(browser);
        current().pop_front();
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
    std::string node;
    // The main window owns the chooser: it opens over it, and the focus comes back to it.
    const TopWindow owner(
        {nullptr, 0, {100, 100, 500, 400}, "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr}, 0,
        nullptr);
    const TopWindow other(
        {nullptr, 0, {700, 100, 200, 200}, "Other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr}, 0,
        nullptr);
    HWND ownedBy = nullptr;
    POINT middle{};
    bool otherEnabled = true;
    // The root "\" is the root of the current folder's drive: the start folder's drive here.
    const fs::path before = fs::current_path();
    fs::current_path(folder.path());
    {
        const BrowserAnswer answer([&](HWND browser) {
            title = textOf(GetDlgItem(browser, 0x3742));
            node = selectedNode(browser);
            ownedBy = GetWindow(browser, GW_OWNER);
            RECT place{};
            GetWindowRect(browser, &place);
            middle = {(place.left + place.right) / 2, (place.top + place.bottom) / 2};
            otherEnabled = IsWindowEnabled(other.hwnd()) != FALSE;
            return IDOK;
        });
        EXPECT_TRUE(chooseMapFolder("Select your MAP folder", L"\\", chosen, owner.hwnd()));
    }
    fs::current_path(before);
    EXPECT_EQ(ownedBy, owner.hwnd());
    EXPECT_LE(std::abs(middle.x - 350), 1);
    EXPECT_LE(std::abs(middle.y - 300), 1);
    EXPECT_FALSE(otherEnabled) << "the program's other windows are disabled while it is open";
    EXPECT_NE(IsWindowEnabled(owner.hwnd()), FALSE);
    EXPECT_NE(IsWindowEnabled(other.hwnd()), FALSE);
    EXPECT_EQ(title, "Select your MAP folder");
    EXPECT_EQ(node, "Demo");
    EXPECT_TRUE(fs::equivalent(test::pathOf(chosen), start)) << chosen;

    chosen = test::textOf(folder.path() / "gone");
    const BrowserAnswer cancel({[](HWND) { return IDCANCEL; }, false});
    EXPECT_FALSE(chooseMapFolder("Select your MAP folder", L"\\", chosen, nullptr));
    EXPECT_EQ(chosen, "") << "a start folder that does not exist is dropped";
}

// The browsers of Windows 7 and later lay their tree out after the initialised notification,
// which undoes the scrolling done there: the selection is brought into view again once shown.
// Wine's browser has no such tree; the tree view's own behaviour is tested here.
TEST(BrowserTreeTest, TheSelectedFolderIsScrolledIntoView)
{
    const TopWindow frame(
        {nullptr, 0, {0, 0, 300, 300}, "Tree", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr}, 0,
        nullptr);
    const HWND tree = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 120,
                                      frame.hwnd(), nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(tree, nullptr);
    EXPECT_FALSE(ensureSelectionVisible(tree)) << "nothing is selected yet";
    std::vector<HTREEITEM> items;
    for (int i = 0; i < 100; ++i) {
        std::string text = "Folder " + std::to_string(i);
        TVINSERTSTRUCTA insert{};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = text.data();
        items.push_back(reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert))));
    }
    const auto inView = [&](HTREEITEM item) {
        // The message takes the item in the rectangle's place.
        RECT place{};
        std::memcpy(&place, &item, sizeof(item));
        RECT client{};
        GetClientRect(tree, &client);
        return SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&place)) !=
                   FALSE &&
               place.top >= client.top && place.bottom <= client.bottom;
    };
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[80]));
    // Laid out anew, the tree shows its top again, as the browser's does.
    SendMessageA(tree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(items[0]));
    ASSERT_FALSE(inView(items[80]));
    EXPECT_TRUE(ensureSelectionVisible(tree));
    EXPECT_TRUE(inView(items[80]));
    EXPECT_EQ(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0),
              reinterpret_cast<LRESULT>(items[80]));
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

TEST(FolderDialogTest, ClassicStyleMakesANewFolderWithItsOwnButton)
{
    const test::TempDir folder;
    const fs::path base = folder.path() / "Packs";
    fs::create_directories(base);
    FolderDialog dialog(nullptr, window::languageKeysFor(0x0409));
    dialog.flags = window::BrowseInfoFlagSet(window::bfShowPath);
    dialog.folder = test::textOf(base);
    std::vector<std::string> prompts;
    std::deque<std::optional<std::string>> names{"Map one", "bad<name"};
    dialog.namePrompt = [&](HWND, const std::string& title) {
        prompts.push_back(title);
        auto name = names.front();
        names.pop_front();
        return name;
    };
    std::vector<std::string> messages;
    dialog.messageBox = [&](const std::string& text) { messages.push_back(text); };

    std::string caption;
    std::string selectedOnReopening;
    {
        const BrowserAnswer answers({[&](HWND browser) {
                                         caption = textOf(GetDlgItem(browser, 255));
                                         return 255;
                                     },
                                     [&](HWND) {
                                         selectedOnReopening = dialog.selectedFolder();
                                         return 255;
                                     },
                                     {[](HWND) { return IDOK; }, false}});
        ASSERT_TRUE(dialog.execute());
    }
    EXPECT_EQ(caption, "New folder");
    EXPECT_EQ(prompts, std::vector<std::string>(2, "New folder"));
    EXPECT_TRUE(fs::is_directory(base / "Map one"));
    EXPECT_EQ(selectedOnReopening, window::prettyCase(test::textOf(base / "Map one"), '\\'));
    // The name that cannot be made is reported in the system's words for error 82, and the
    // browser opens once more without a preselection.
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(messages[0].empty());
    EXPECT_FALSE(fs::exists(base / "Map one" / "bad<name"));
}

// The top-left corner of a window on the screen.
POINT cornerOf(HWND window)
{
    RECT place{};
    GetWindowRect(window, &place);
    return {place.left, place.top};
}

// A plain visible top-level window to own the dialog, as the main window does.
struct OwnerWindow {
    OwnerWindow()
        : hwnd(CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                               200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr))
    {
    }
    ~OwnerWindow() { DestroyWindow(hwnd); }
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    HWND hwnd;
};

TEST(FolderDialogTest, OpensOverItsOwnerWithThePathLineAndTheFolderRevealed)
{
    const test::TempDir folder;
    // Deep enough that its path does not fit the path line.
    fs::path destination = folder.path();
    for (const char* name : {"a rather long folder name", "another long folder name",
                             "and a third long folder name", "Map PACK"}) {
        destination /= name;
    }
    fs::create_directories(destination / "inside");
    const OwnerWindow owner;
    FolderDialog dialog(owner.hwnd, window::languageKeysFor(0x0409));
    dialog.folder = test::textOf(destination);
    int initialised = 0;
    std::vector<std::string> selections;
    dialog.onInitialized = [&] { ++initialised; };
    dialog.onSelectionChanged = [&] { selections.push_back(dialog.selectedFolder()); };

    const std::string expected = window::prettyCase(test::textOf(destination), '\\');
    const BrowserAnswer answer([&](HWND browser) {
        // The request: the owner, the label caption as the instruction, the modern resizable
        // dialog with its status line.
        EXPECT_EQ(GetWindow(browser, GW_OWNER), owner.hwnd);
        EXPECT_FALSE(IsWindowEnabled(owner.hwnd)) << "the browser is modal over its owner";
        EXPECT_EQ(textOf(GetDlgItem(browser, 0x3742)), "Current folder:");
        EXPECT_NE(GetWindowLongA(browser, GWL_STYLE) & WS_THICKFRAME, 0);

        // The preselected folder is the caret node, shown and opened.
        const HWND tree = browserTree(browser);
        const auto node =
            reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        EXPECT_EQ(selectedNode(browser), "Map PACK");
        EXPECT_NE(
            SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node), TVIS_EXPANDED) &
                TVIS_EXPANDED,
            0u);
        RECT nodePlace{};
        std::memcpy(&nodePlace, &node, sizeof(node));  // the message takes the node there
        EXPECT_NE(SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&nodePlace)),
                  FALSE)
            << "the node is scrolled into view";

        // The path line: the path shortened with "..." at the front, its name kept, fitting.
        const HWND line = GetDlgItem(browser, 0x3743);
        const std::string shown = textOf(line);
        EXPECT_NE(shown, expected);
        EXPECT_NE(shown.find("..."), std::string::npos) << shown;
        EXPECT_TRUE(shown.ends_with("\\Map Pack")) << shown;
        const HDC dc = GetDC(line);
        const HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(line, WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(line, dc);
        RECT inner{};
        GetClientRect(line, &inner);
        EXPECT_LE(size.cx, inner.right - 8) << shown;
        return IDOK;
    });
    ASSERT_TRUE(dialog.execute());
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd));
    EXPECT_EQ(initialised, 1);
    ASSERT_FALSE(selections.empty());
    EXPECT_EQ(selections.back(), expected);
    EXPECT_EQ(dialog.folder, expected);
}

TEST(FolderDialogTest, TheFirstOpeningShowsTheRootInThePathLine)
{
    // Nothing preselected: the browser shows the desktop selected and may say nothing of it.
    const OwnerWindow owner;
    FolderDialog dialog(owner.hwnd, window::languageKeysFor(0x0409));
    std::string shown;
    const BrowserAnswer answer({[&](HWND browser) {
                                    shown = textOf(GetDlgItem(browser, 0x3743));
                                    return IDCANCEL;
                                },
                                false});
    EXPECT_FALSE(dialog.execute());
    char desktop[MAX_PATH] = {};
    ASSERT_NE(SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE), FALSE);
    EXPECT_FALSE(shown.empty());
    EXPECT_TRUE(std::string(desktop).ends_with(shown.substr(shown.find_last_of('\\') + 1)))
        << shown << " for " << desktop;
}

TEST(FolderDialogTest, ReopensWhereItWasMovedAndHidesWhileItsOwnerIsMinimised)
{
    const test::TempDir folder;
    const OwnerWindow owner;
    FolderDialog dialog(owner.hwnd, window::languageKeysFor(0x0409));
    dialog.folder = folder.str();
    POINT moved{};
    bool hiddenWhenMinimised = false;
    bool shownWhenRestored = false;
    POINT reopened{};
    POINT restored{};
    const BrowserAnswer answers({[&](HWND browser) {
                                     const POINT corner = cornerOf(browser);
                                     moved = {corner.x + 37, corner.y + 23};
                                     SetWindowPos(browser, nullptr, moved.x, moved.y, 0, 0,
                                                  SWP_NOSIZE | SWP_NOZORDER);
                                     return IDCANCEL;
                                 },
                                 [&](HWND browser) {
                                     reopened = cornerOf(browser);
                                     // What the owner hears when it is minimised and restored.
                                     SendMessageA(owner.hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
                                     hiddenWhenMinimised = IsWindowVisible(browser) == FALSE;
                                     SendMessageA(owner.hwnd, WM_SIZE, SIZE_RESTORED, 0);
                                     shownWhenRestored = IsWindowVisible(browser) != FALSE;
                                     restored = cornerOf(browser);
                                     return IDCANCEL;
                                 }});
    EXPECT_FALSE(dialog.execute());
    EXPECT_FALSE(dialog.execute());
    EXPECT_EQ(reopened.x, moved.x);
    EXPECT_EQ(reopened.y, moved.y);
    EXPECT_TRUE(hiddenWhenMinimised);
    EXPECT_TRUE(shownWhenRestored);
    EXPECT_EQ(restored.x, moved.x);
    EXPECT_EQ(restored.y, moved.y);
}

}  // namespace
}  // namespace gantrel::ui::win32
