// SPDX-License-Identifier: MIT
#include "main_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <map>
#include <utility>

#include "clipboard.h"
#include "control_ids.h"
#include "dialogs.h"
#include "dpi.h"
#include "package_dialog.h"
#include "platform/copy.h"
#include "platform/win32/wide_text.h"
#include "settings/settings_file.h"
#include "where_used_dialog.h"
#include "window/list_menu.h"
#include "window/opened_folder.h"
#include "window/operation_interfaces.h"
#include "window/screen_fit.h"
#include "window/window_design.h"

namespace gantrel::ui::win32 {
namespace {

using window::kExportButtons;
using window::kPages;

constexpr UINT_PTR kCopierTimer = 1;
// Fills the memo of the page shown, a step at a time, while the window takes input.
constexpr UINT_PTR kFillTimer = 2;
// Looks for the end of the search for the missing entries.
constexpr UINT_PTR kSearchTimer = 3;
// The window's own message: analyse the map folder of the command line.
constexpr UINT kAnalyseStartFolder = WM_APP + 1;
// The command of kShortcuts[i] is kFirstShortcut + i.
constexpr WORD kFirstShortcut = 0x7000;
// The list menus' commands: a ListCommand's is its value + 1; the missing lists' own follow.
enum : UINT { kFoundElsewhereCommand = 101, kCancelSearchCommand, kUndoRelinkCommand };

// The export buttons' pages and places, in the order of kExportButtons.
struct ExportPlace {
    int page;
    Place place;
};
constexpr std::array<ExportPlace, 4> kExportPlaces{{
    {1, {404, 231, 123, 33}},  // scof_copy
    {2, {406, 231, 123, 33}},  // slif_copy
    {1, {265, 232, 133, 33}},  // Button10
    {2, {267, 231, 133, 33}},  // Button11
}};

// The user's separator between groups of digits, where the program's 8-bit text can hold it.
std::string digitGroupSeparator()
{
    // At most three characters and the terminating null.
    std::array<wchar_t, 4> separator{};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, separator.data(),
                        static_cast<int>(separator.size())) == 0 ||
        platform::win32::unheldCharacter(separator.data())) {
        return ",";
    }
    return platform::win32::toNarrow(separator.data());
}

// The designed place of a window of that outer size, or the place nearest to it where the
// whole window lies on the work area of the monitor that holds the designed corner.
Place placeOnScreen(int width, int height)
{
    const window::ScreenRect designed{window::kDesignedClient.left, window::kDesignedClient.top,
                                      width, height};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoA(MonitorFromPoint({designed.left, designed.top}, MONITOR_DEFAULTTONEAREST),
                        &monitor) == FALSE) {
        return {designed.left, designed.top, width, height};
    }
    const RECT& work = monitor.rcWork;
    const window::ScreenRect place = window::fitOnScreen(
        designed, {work.left, work.top, work.right - work.left, work.bottom - work.top});
    return {place.left, place.top, width, height};
}

// Starts (on) or stops the window's timer `id`, ticking every `interval`.
void keepTicking(HWND window, UINT_PTR id, std::chrono::milliseconds interval, bool on)
{
    if (on) {
        SetTimer(window, id, static_cast<UINT>(interval.count()), nullptr);
    } else {
        KillTimer(window, id);
    }
}

// The accelerator table of kShortcuts.
HACCEL shortcutTable()
{
    std::vector<ACCEL> table;
    for (std::size_t i = 0; i < window::kShortcuts.size(); ++i) {
        const window::KeyChord& chord = window::kShortcuts[i].chord;
        const auto flags = static_cast<BYTE>(FVIRTKEY | (chord.control ? FCONTROL : 0) |
                                             (chord.shift ? FSHIFT : 0));
        const auto key =
            static_cast<WORD>(chord.functionKey > 0 ? VK_F1 + chord.functionKey - 1 : chord.key);
        table.push_back({flags, key, static_cast<WORD>(kFirstShortcut + i)});
    }
    return CreateAcceleratorTableA(table.data(), static_cast<int>(table.size()));
}

}  // namespace

MainWindow::MainWindow(Dialogs& dialogs, MainWindowSetup setup)
    : window::DialogsFront(dialogs),
      m_dialogs(dialogs),
      m_setup(std::move(setup)),
      m_dpi(systemDpi()),
      m_shortcuts(shortcutTable(), &DestroyAcceleratorTable)
{
    if (m_setup.settingsPath.empty()) {
        m_setup.settingsPath = settingsFilePath();
    }
    if (m_setup.copier.empty()) {
        m_setup.copier = platform::bundledCopier();
    }
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    RECT outer{0, 0, scaled(window::kDesignedClient.width), scaled(window::kDesignedClient.height)};
    AdjustWindowRectEx(&outer, style, FALSE, WS_EX_CONTROLPARENT);
    // The small icon at its own size: the title bar's and the task bar's icon would otherwise
    // be the large one shrunk.
    const auto icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), "IDI_ICON1", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    const auto smallIcon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "IDI_ICON1",
                                                         IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                         GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    m_frame = std::make_unique<TopWindow>(
        CreateArgs{nullptr, 0, placeOnScreen(outer.right - outer.left, outer.bottom - outer.top),
                   window::kApplicationTitle, style, nullptr},
        WS_EX_CONTROLPARENT, icon, smallIcon);
    m_frame->onMessage = [this](UINT message, WPARAM wParam, LPARAM lParam) {
        return handle(message, wParam, lParam);
    };
    SendMessageA(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font(kArial)), FALSE);

    m_folderDialog = std::make_unique<FolderDialog>(hwnd());
    window::WindowFront& front = *this;
    m_operations =
        std::make_unique<window::WindowOperations>(front, m_setup.settingsPath, m_setup.copier);
    createControls();
    createPages();
    createToolTips();
    DragAcceptFiles(hwnd(), TRUE);
    showPage(0);
    render();
    // Made at the system's dpi, the window may lie on a monitor of another: laid out for that
    // one's, as the system would on a move there.
    if (const int own = windowDpi(hwnd()); own != m_dpi) {
        RECT place{};
        GetWindowRect(hwnd(), &place);
        RECT frame{0, 0, scaledTo(window::kDesignedClient.width, own),
                   scaledTo(window::kDesignedClient.height, own)};
        AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
        changeDpi(own, {place.left, place.top, place.left + frame.right - frame.left,
                        place.top + frame.bottom - frame.top});
    }
}

MainWindow::~MainWindow() = default;

void MainWindow::show(int command)
{
    ShowWindow(hwnd(), command);
    UpdateWindow(hwnd());
}

void MainWindow::analyseWhenShown(std::string folder)
{
    m_startFolder = std::move(folder);
    PostMessageA(hwnd(), kAnalyseStartFolder, 0, 0);
}

bool MainWindow::translate(MSG& message)
{
    if ((message.hwnd == hwnd() || IsChild(hwnd(), message.hwnd) != FALSE) &&
        TranslateAcceleratorA(hwnd(), m_shortcuts.get(), &message) != 0) {
        return true;
    }
    return IsDialogMessageA(hwnd(), &message) != FALSE;
}

int MainWindow::scaled(int pixels) const
{
    return MulDiv(pixels, m_dpi, 96);
}

HFONT MainWindow::font(const FontDesign& design)
{
    const std::pair<std::string, int> key{design.family, design.pixels};
    auto found = m_fonts.find(key);
    if (found == m_fonts.end()) {
        const HFONT made = CreateFontA(
            -scaled(design.pixels), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, design.family);
        found = m_fonts.emplace(key, Font(made, &DeleteObject)).first;
    }
    return found->second.get();
}

Place MainWindow::placed(const ControlDesign& design) const
{
    const Place& at = design.place;
    const Place area = design.onPage ? m_pages->pageArea() : Place{};
    return {area.left + scaled(at.left), area.top + scaled(at.top), scaled(at.width),
            scaled(at.height)};
}

CreateArgs MainWindow::arrange(const ControlDesign& design, std::string text, DWORD style)
{
    m_layout.push_back(design);
    return {hwnd(), design.id, placed(design), std::move(text), style, font(design.font)};
}

void MainWindow::changeDpi(int dpi, const RECT& suggested)
{
    m_dpi = dpi;
    // The controls let go of the old fonts before they are deleted.
    const std::map<std::pair<std::string, int>, Font> old = std::move(m_fonts);
    m_fonts.clear();
    SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font(kArial)), FALSE);
    // In the order of creation: the pages' controls follow the tab control they lie on.
    for (const ControlDesign& design : m_layout) {
        const HWND control = GetDlgItem(hwnd(), design.id);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font(design.font)), FALSE);
        const Place at = placed(design);
        SetWindowPos(control, nullptr, at.left, at.top, at.width, at.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    placeTabToolTips();
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindow::createControls()
{
    m_groupBox = std::make_unique<Static>(
        Static::Kind::GroupBox,
        arrange({ids::GroupBox1, {8, 8, 553, 57}, {"Arial", 13}},
                "Select your MAP folder (analysis will start right after selecting it):", 0));
    // The group box's children lie on the window, at the group box's place plus their own.
    m_path =
        std::make_unique<Edit>(arrange({ids::caminho, {20, 32, 453, 22}}, "",
                                       ES_AUTOHSCROLL | ES_READONLY | WS_DISABLED | WS_BORDER));
    m_choose =
        std::make_unique<Button>(arrange({ids::Button2, {492, 31, 49, 23}}, "...", WS_TABSTOP));
    m_choose->onClick = [this] { operate([this] { m_operations->chooseAndAnalyse(); }); };

    std::vector<std::string> captions;
    for (const window::PageDesign& page : kPages) {
        captions.emplace_back(page.caption);
    }
    m_pages = std::make_unique<TabControl>(
        arrange({ids::PageControl, {8, 71, 553, 297}}, "", WS_TABSTOP), captions);
    m_pages->onChange = [this](int index) {
        // The tab's tip would cover the first lines of the page just chosen: tips are for the
        // pointer resting on a tab, not for after a click.
        if (m_toolTips) {
            m_toolTips->hide();
        }
        showPage(index);
    };

    m_notice = std::make_unique<Button>(
        arrange({ids::Button7, {486, 377, 75, 25}}, "Click me", WS_TABSTOP));
    m_notice->onClick = [this] {
        operate([this] {
            m_operations->showNotice(window::noticeText(
                kVersion, {"the mingw-w64 runtime and the GNU C++ library (GCC Runtime "
                           "Library Exception)"}));
        });
    };

    // The working controls below the client area: seen only when the window is maximised, and
    // never taking the keyboard focus.
    m_tileCaption = std::make_unique<Static>(Static::Kind::Label,
                                             arrange({ids::Label1, {184, 425, 200, 16}}, "", 0));
    m_lastTile = std::make_unique<Static>(
        Static::Kind::Label, arrange({ids::Label2, {215, 425, 200, 16}}, "Last loaded tile: ", 0));
    m_tiles = std::make_unique<ListBox>(
        arrange({ids::tilelist, {8, 445, 361, 105}}, "", LBS_SORT | WS_BORDER | WS_DISABLED));
    m_lineStore = std::make_unique<UnicodeEdit>(
        arrange({ids::Mema, {400, 448, 313, 209}}, "",
                ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_DISABLED));
    m_telvpath = std::make_unique<Static>(
        Static::Kind::Label, arrange({ids::telvpath, {8, 576, 100, 16}}, "telvpath", 0));
}

void MainWindow::createPages()
{
    for (std::size_t i = 0; i < kPages.size(); ++i) {
        const window::PageDesign& page = kPages[i];
        const int index = static_cast<int>(i);
        m_memos[i].edit = std::make_unique<Edit>(arrange(
            {ids::memoOfPage(index), {8, 8, 521, 217}, {"Courier New", page.memoFontPixels}, true},
            "",
            ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER |
                WS_TABSTOP));
        m_copyButtons[i] = std::make_unique<Button>(
            arrange({ids::copyButtonOfPage(index), {8, 232, 123, 33}, kArial, true},
                    "Copy to Clipboard", WS_TABSTOP));
        m_copyButtons[i]->onClick = [this, list = page.list] {
            operate([this, list] { m_operations->copyToClipboard(list); });
        };
        m_memos[i].edit->onMessage = [this, i](UINT message, WPARAM wParam, LPARAM lParam) {
            return memoMessage(i, message, wParam, lParam);
        };
    }
    for (std::size_t i = 0; i < kExportButtons.size(); ++i) {
        const window::ExportButtonDesign& design = kExportButtons[i];
        const bool copier = design.variant == ExportVariant::CommandCopy;
        m_exportButtons[i] = std::make_unique<Button>(
            arrange({ids::exportButton(static_cast<int>(i)), kExportPlaces[i].place, kArial, true},
                    copier ? "Copy to another folder (Windows XP)" : "Copy to another folder",
                    static_cast<DWORD>(WS_TABSTOP | (copier ? BS_MULTILINE : 0))));
        m_exportButtons[i]->onClick = [this, list = design.list, variant = design.variant] {
            operate([this, list, variant] { m_operations->exportFolders(list, variant); });
        };
    }
}

void MainWindow::syncMemo(std::size_t page, bool whole)
{
    Memo& memo = m_memos[page];
    const std::vector<std::string>& entries = window::listOf(state(), kPages[page].list);
    if (entries != memo.shown) {
        memo.shown = entries;
        memo.filled = std::min(entries.size(), kFillStep);
        memo.edit->setLines({memo.shown.data(), memo.filled});
    }
    if (whole) {
        fillMemo(page, memo.shown.size());
    } else if (memo.filled < memo.shown.size()) {
        SetTimer(hwnd(), kFillTimer, USER_TIMER_MINIMUM, nullptr);
    }
}

void MainWindow::fillMemo(std::size_t page, std::size_t count)
{
    Memo& memo = m_memos[page];
    count = std::min(count, memo.shown.size() - memo.filled);
    if (count > 0) {
        memo.edit->appendLines({memo.shown.data() + memo.filled, count});
        memo.filled += count;
    }
}

void MainWindow::showPage(int index)
{
    syncMemo(static_cast<std::size_t>(index), false);
    for (std::size_t i = 0; i < kPages.size(); ++i) {
        const bool shown = static_cast<int>(i) == index;
        m_memos[i].edit->setVisible(shown);
        m_copyButtons[i]->setVisible(shown);
    }
    for (std::size_t i = 0; i < kExportButtons.size(); ++i) {
        m_exportButtons[i]->setVisible(kExportPlaces[i].page == index && m_shownExportButtons);
    }
}

std::optional<LRESULT> MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_CTLCOLORSTATIC: {
            // The memos (read-only edits) draw white text on the menu-highlight colour.
            const auto control = reinterpret_cast<HWND>(lParam);
            for (const Memo& memo : m_memos) {
                if (memo.edit && memo.edit->hwnd() == control) {
                    const auto dc = reinterpret_cast<HDC>(wParam);
                    SetTextColor(dc, RGB(255, 255, 255));
                    SetBkColor(dc, GetSysColor(COLOR_MENUHILIGHT));
                    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_MENUHILIGHT));
                }
            }
            return std::nullopt;
        }
        case WM_ERASEBKGND: {
            // The group box paints its frame and caption but not its inside: the window paints
            // everything but its other controls, which paint themselves. A control that asks
            // for the window's background under it (a themed button) gets all of it.
            const auto dc = reinterpret_cast<HDC>(wParam);
            const bool own = WindowFromDC(dc) == hwnd();
            for (HWND child = GetWindow(hwnd(), GW_CHILD); own && child != nullptr;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                if (child != m_groupBox->hwnd() && IsWindowVisible(child) != FALSE) {
                    RECT place{};
                    GetWindowRect(child, &place);
                    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&place), 2);
                    ExcludeClipRect(dc, place.left, place.top, place.right, place.bottom);
                }
            }
            RECT client{};
            GetClientRect(hwnd(), &client);
            FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        case WM_DROPFILES:
            dropped(reinterpret_cast<HDROP>(wParam));
            return 0;
        case kAnalyseStartFolder:
            if (m_startFolder) {
                const std::string folder = *std::exchange(m_startFolder, std::nullopt);
                operate([this, &folder] { m_operations->analyseMapFolder(folder); });
            }
            return 0;
        case WM_COMMAND:
            if (HIWORD(wParam) == 1 && LOWORD(wParam) >= kFirstShortcut &&
                LOWORD(wParam) < kFirstShortcut + window::kShortcuts.size()) {
                runShortcut(window::kShortcuts[LOWORD(wParam) - kFirstShortcut]);
                return 0;
            }
            // IsDialogMessage makes Return and Enter an IDOK in a window that is no dialog; they
            // press the focused button instead, as in a dialog.
            if (LOWORD(wParam) == IDOK && lParam == 0) {
                pressFocusedButton();
                return 0;
            }
            return std::nullopt;
        case WM_DPICHANGED:
            // Moved to a monitor of another dpi: the system suggests the window's new place.
            changeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_TIMER:
            if (wParam == kFillTimer) {
                const auto page = static_cast<std::size_t>(m_pages->current());
                fillMemo(page, kFillStep);
                if (m_memos[page].filled == m_memos[page].shown.size()) {
                    KillTimer(hwnd(), kFillTimer);
                }
                return 0;
            }
            if (wParam == kCopierTimer) {
                operate([this] { m_operations->copierTick(); });
                return 0;
            }
            if (wParam == kSearchTimer) {
                operate([this] { m_operations->searchTick(); });
                return 0;
            }
            return std::nullopt;
        case WM_CLOSE:
            // Closing during an operation (from its progress dialog's message loop) cancels a
            // scan that runs; the window closes once the operation has ended.
            if (m_operationDepth > 0) {
                m_operations->cancelScan();
                m_closeWhenDone = true;
                return 0;
            }
            return std::nullopt;
        case WM_DESTROY:
            KillTimer(hwnd(), kCopierTimer);
            KillTimer(hwnd(), kFillTimer);
            KillTimer(hwnd(), kSearchTimer);
            if (onClosed) {
                onClosed();
            }
            return 0;
        default:
            return std::nullopt;
    }
}

void MainWindow::operate(const std::function<void()>& operation)
{
    ++m_operationDepth;
    operation();
    --m_operationDepth;
    if (m_operationDepth == 0 && m_closeWhenDone) {
        m_closeWhenDone = false;
        DestroyWindow(hwnd());
    }
}

void MainWindow::pressFocusedButton()
{
    const HWND focus = GetFocus();
    std::array<char, 16> className{};
    if (focus == nullptr || IsChild(hwnd(), focus) == FALSE ||
        GetClassNameA(focus, className.data(), static_cast<int>(className.size())) == 0 ||
        lstrcmpiA(className.data(), WC_BUTTONA) != 0) {
        return;
    }
    const LONG type = GetWindowLongA(focus, GWL_STYLE) & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
        SendMessageA(hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
                     reinterpret_cast<LPARAM>(focus));
    }
}

std::optional<LRESULT> MainWindow::memoMessage(std::size_t page, UINT message, WPARAM wParam,
                                               LPARAM lParam)
{
    const HWND memo = m_memos[page].edit->hwnd();
    switch (message) {
        case WM_GETDLGCODE:
            // Tab into a memo leaves its caret and selection as they were.
            return DefSubclassProc(memo, message, wParam, lParam) & ~DLGC_HASSETSEL;
        case WM_CONTEXTMENU:
            showListMenu(page, lParam);
            return 0;
        case WM_KEYDOWN:
            // Ctrl+A, as the menu names it: the whole list, also of a memo still being filled.
            if (wParam == 'A' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) >= 0 &&
                GetKeyState(VK_MENU) >= 0) {
                selectAll(kPages[page].list);
                return 0;
            }
            return std::nullopt;
        case WM_CHAR:
            // The character Ctrl+A makes, which a read-only memo would answer with a beep.
            return wParam == 1 ? std::optional<LRESULT>(0) : std::nullopt;
        case WM_LBUTTONDBLCLK: {
            DefSubclassProc(memo, message, wParam, lParam);
            const window::WindowList list = kPages[page].list;
            if (window::offersWhereUsed(list)) {
                if (const auto entry =
                        entryAt(page, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) {
                    showWhereUsed(list, *entry);
                }
            }
            return 0;
        }
        default:
            return std::nullopt;
    }
}

std::optional<std::size_t> MainWindow::entryAt(std::size_t page, POINT point) const
{
    const Memo& memo = m_memos[page];
    const HWND edit = memo.edit->hwnd();
    const LRESULT found = SendMessageA(edit, EM_CHARFROMPOS, 0, MAKELPARAM(point.x, point.y));
    if (found == -1) {
        return std::nullopt;
    }
    // The line comes in 16 bits; the line pointed at lies within a screen of the first one
    // shown, whose number is whole.
    const auto first = static_cast<std::size_t>(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
    const std::size_t line = first + ((HIWORD(found) - first) & 0xFFFF);
    // The memo may hold only the first lines of its list so far: its lines are the list's.
    return line < memo.filled ? std::optional(line) : std::nullopt;
}

void MainWindow::showListMenu(std::size_t page, LPARAM at)
{
    const window::WindowList list = kPages[page].list;
    const HWND edit = m_memos[page].edit->hwnd();
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    std::optional<std::size_t> entry;
    if (at == -1) {
        // From the keyboard: at the caret, for its line.
        const LRESULT caret = SendMessageA(edit, EM_POSFROMCHAR, start, 0);
        point = caret == -1 ? POINT{0, 0} : POINT{GET_X_LPARAM(caret), GET_Y_LPARAM(caret)};
        const auto line = static_cast<std::size_t>(SendMessageA(edit, EM_LINEFROMCHAR, start, 0));
        if (line < m_memos[page].filled) {
            entry = line;
        }
        ClientToScreen(edit, &point);
    } else {
        POINT inMemo = point;
        ScreenToClient(edit, &inMemo);
        entry = entryAt(page, inMemo);
    }

    const std::unique_ptr<std::remove_pointer_t<HMENU>, decltype(&DestroyMenu)> menu(
        CreatePopupMenu(), &DestroyMenu);
    for (const window::ListMenuItem& item : window::listMenu(list)) {
        if (item.command == window::ListCommand::WhereUsed && window::offersFoundElsewhere(list)) {
            addFoundElsewhereItems(menu.get());
        }
        if (item.separatorBefore) {
            AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
        }
        const bool greyed = (item.command == window::ListCommand::Copy && start == end) ||
                            (item.command == window::ListCommand::WhereUsed && !entry) ||
                            (item.command == window::ListCommand::MakeMapPackage &&
                             !m_operations->packageAvailable());
        const std::string text = item.key.empty() ? item.text : item.text + ("\t" + item.key);
        AppendMenuA(menu.get(), MF_STRING | (greyed ? MF_GRAYED : 0),
                    static_cast<UINT_PTR>(item.command) + 1, text.c_str());
    }
    const UINT chosen = m_dialogs.executeMenu(menu.get(), hwnd(), point);
    window::MissingSearch& search = m_operations->missingSearch();
    switch (chosen) {
        case 0:
            return;
        case kFoundElsewhereCommand:
            operate([this, &search] {
                m_dialogs.showRelinkReport(
                    window::foundElsewhereMenuText(search.result(), search.searching()));
            });
            return;
        case kCancelSearchCommand:
            search.cancel();
            return;
        case kUndoRelinkCommand:
            operate([this] { m_operations->undoLastRelink(m_dialogs); });
            return;
        default:
            break;
    }
    switch (static_cast<window::ListCommand>(chosen - 1)) {
        case window::ListCommand::Copy:
            SendMessageA(edit, WM_COPY, 0, 0);
            break;
        case window::ListCommand::SelectAll:
            selectAll(list);
            break;
        case window::ListCommand::CopyToClipboard:
            operate([this, list] { m_operations->copyToClipboard(list); });
            break;
        case window::ListCommand::SaveAs:
            operate([this, list] {
                m_operations->saveListAs(list, [this](const std::string& fileName) {
                    return m_dialogs.chooseSaveFile(fileName);
                });
            });
            break;
        case window::ListCommand::WhereUsed:
            if (entry) {
                showWhereUsed(list, *entry);
            }
            break;
        case window::ListCommand::MakeMapPackage:
            makeMapPackage();
            break;
    }
}

void MainWindow::addFoundElsewhereItems(HMENU menu)
{
    const window::MissingSearch& search = m_operations->missingSearch();
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kFoundElsewhereCommand, window::kFoundElsewhereItem);
    AppendMenuA(menu, MF_STRING | (search.searching() ? 0 : MF_GRAYED), kCancelSearchCommand,
                window::kCancelSearchItem);
    AppendMenuA(menu, MF_STRING | (m_operations->canUndoRelink() ? 0 : MF_GRAYED),
                kUndoRelinkCommand, window::kUndoRelinkItem);
}

void MainWindow::makeMapPackage()
{
    operate([this] {
        DelayedProgress progress(hwnd(), m_dpi, m_setup.clock, DelayedProgress::Cancel::Yes,
                                 [this] { render(); });
        const window::PackageDialogs dialogs{
            [this](window::PackageDialogModel& model) {
                PackageDialog dialog(hwnd(), m_dpi, model);
                return m_dialogs.executePackageDialog(dialog);
            },
            [this, &progress](const std::string& folder, const std::string& fileName) {
                std::optional<std::string> file = m_dialogs.chooseSaveZip(folder, fileName);
                // The time the user spent in the dialogs is no time of the package's.
                progress.restart();
                return file;
            },
            [&progress](const PackageProgress& done) {
                constexpr std::size_t kSteps = 1000;
                const std::uint64_t total = std::max<std::uint64_t>(done.totalBytes, 1);
                progress.update(window::kPackageProgressText,
                                static_cast<std::size_t>(
                                    std::min<std::uint64_t>(done.bytes, total) * kSteps / total),
                                kSteps);
                return !progress.cancelled();
            }};
        m_operations->makeMapPackage(dialogs);
    });
}

void MainWindow::showWhereUsed(window::WindowList list, std::size_t entry)
{
    std::optional<RelinkChange> relink;
    operate([this, list, entry, &relink] {
        m_operations->showWhereUsed(
            list, entry,
            [this, list, &relink](const std::string& name,
                                  const std::vector<window::WhereUsedRow>& rows) {
                std::optional<FoundElsewhereOffer> offer;
                if (window::offersFoundElsewhere(list)) {
                    const window::MissingSearch& search = m_operations->missingSearch();
                    const FoundElsewhere* found = search.result();
                    offer =
                        FoundElsewhereOffer{found != nullptr ? window::relinkChoices(*found, name)
                                                             : std::vector<RelinkChange>(),
                                            search.searching()};
                }
                WhereUsedDialog dialog(hwnd(), m_dpi, m_dialogs, name, rows, std::move(offer));
                m_dialogs.executeWhereUsed(dialog);
                relink = dialog.chosen();
            });
    });
    // Once the dialog's operation has ended: the relink is an operation of its own.
    if (relink) {
        operate([this, &relink] { m_operations->relink(*relink, m_dialogs); });
    }
}

void MainWindow::dropped(HDROP drop)
{
    using namespace platform::win32;
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        // A name the program's 8-bit text cannot hold is no path the analysis can take.
        paths.push_back(unheldCharacter(path) ? std::string() : toNarrow(path));
    }
    DragFinish(drop);
    if (const std::optional<std::string> folder = window::droppedMapFolder(paths)) {
        operate([this, &folder] { m_operations->analyseMapFolder(*folder); });
    }
}

void MainWindow::runShortcut(const window::Shortcut& shortcut)
{
    switch (shortcut.command) {
        case window::ShortcutCommand::ChooseMapFolder:
            m_choose->onClick();
            break;
        case window::ShortcutCommand::ShowPage:
            m_pages->select(static_cast<int>(shortcut.page));
            break;
        case window::ShortcutCommand::CopyShownList:
            m_copyButtons[static_cast<std::size_t>(m_pages->current())]->onClick();
            break;
        case window::ShortcutCommand::ShowNotice:
            m_notice->onClick();
            break;
        case window::ShortcutCommand::MakeMapPackage:
            makeMapPackage();
            break;
    }
}

void MainWindow::createToolTips()
{
    m_toolTips = std::make_unique<ToolTip>(hwnd());
    m_toolTips->addControl(m_choose->hwnd(), window::buttonToolTip("Button2"));
    m_toolTips->addControl(m_notice->hwnd(), window::buttonToolTip("Button7"));
    for (std::size_t i = 0; i < kPages.size(); ++i) {
        m_toolTips->addControl(m_copyButtons[i]->hwnd(),
                               window::buttonToolTip(kPages[i].copyButton));
    }
    for (std::size_t i = 0; i < kExportButtons.size(); ++i) {
        m_toolTips->addControl(m_exportButtons[i]->hwnd(),
                               window::buttonToolTip(kExportButtons[i].name));
    }
    placeTabToolTips();
}

void MainWindow::placeTabToolTips()
{
    for (std::size_t i = 0; i < kPages.size(); ++i) {
        RECT tab{};
        SendMessageA(m_pages->hwnd(), TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&tab));
        m_toolTips->setArea(m_pages->hwnd(), i, tab, window::pageToolTip(i));
    }
}

void MainWindow::render()
{
    const WindowState& state = m_operations->state();
    if (m_path->text() != state.path) {
        m_path->setText(state.path);
    }
    // An edit control takes its time over a long text: only the page shown is filled now, the
    // others when they are shown.
    if (const int page = m_pages->current(); page >= 0) {
        syncMemo(static_cast<std::size_t>(page), false);
    }
    if (state.logScrolls != m_shownLogScrolls) {
        m_shownLogScrolls = state.logScrolls;
        syncMemo(0, true);
        m_memos[0].edit->scrollToEnd();
    }
    if (state.tiles != m_shownTiles) {
        m_tiles->setItems(state.tiles);
        m_shownTiles = state.tiles;
    }
    if (m_tileCaption->text() != state.tileCaption) {
        m_tileCaption->setText(state.tileCaption);
    }
    if (state.lineStore.text() != m_shownLineStore) {
        m_shownLineStore = state.lineStore.text();
        m_lineStore->setText(m_shownLineStore);
    }
    if (state.exportButtonsVisible != m_shownExportButtons) {
        m_shownExportButtons = state.exportButtonsVisible;
        showPage(m_pages->current());
    }
}

bool MainWindow::chooseMapFolder(const std::string& title, const std::string& root,
                                 std::string& folder)
{
    return m_dialogs.chooseMapFolder(title, root, folder);
}

std::unique_ptr<UserInterface> MainWindow::analysisInterface()
{
    return std::make_unique<window::RunInterface>(
        m_dialogs,
        std::make_unique<DelayedProgress>(hwnd(), m_dpi, m_setup.clock,
                                          DelayedProgress::Cancel::Yes, [this] { render(); }),
        [this] { render(); });
}

std::unique_ptr<ExportUi> MainWindow::exportInterface()
{
    return std::make_unique<window::ExportInterface>(
        m_dialogs,
        std::make_unique<DelayedProgress>(hwnd(), m_dpi, m_setup.clock, DelayedProgress::Cancel::No,
                                          [this] { render(); }),
        [this]() -> std::optional<std::string> {
            if (!m_dialogs.executeFolderDialog(*m_folderDialog)) {
                return std::nullopt;
            }
            return m_folderDialog->folder;
        },
        [separator = digitGroupSeparator()](std::uint64_t number) {
            return window::groupedDigits(number, separator);
        },
        [this] { render(); });
}

void MainWindow::selectAll(window::WindowList list)
{
    for (std::size_t i = 0; i < kPages.size(); ++i) {
        if (kPages[i].list == list) {
            syncMemo(i, true);
            m_memos[i].edit->selectAll();
        }
    }
}

void MainWindow::setClipboardText(const std::string& text)
{
    if (!win32::setClipboardText(hwnd(), text)) {
        m_dialogs.showMessage(kClipboardBusy);
    }
}

void MainWindow::watchCopiers(bool on)
{
    keepTicking(hwnd(), kCopierTimer, window::kCopierPollInterval, on);
}

void MainWindow::watchSearch(bool on)
{
    keepTicking(hwnd(), kSearchTimer, window::kSearchPollInterval, on);
}

}  // namespace gantrel::ui::win32
