// SPDX-License-Identifier: MIT
#include "browser_tree.h"

#include <commctrl.h>

#include "window/screen_fit.h"

namespace gantrel::ui::win32 {
namespace {

constexpr int kClassicTreeId = 0x3741;
// A timer identifier of the program's own on the shell's dialog, which has timers of its own.
constexpr UINT_PTR kShowSelectionTimer = 0x6A17;
constexpr UINT kShowSelectionDelayMilliseconds = 100;

void CALLBACK showSelection(HWND browser, UINT /*message*/, UINT_PTR id, DWORD /*time*/)
{
    KillTimer(browser, id);
    if (const HWND tree = browserTree(browser)) {
        ensureSelectionVisible(tree);
        SetFocus(tree);
    }
}

}  // namespace

HWND browserTree(HWND browser)
{
    if (const HWND nameSpace =
            FindWindowExA(browser, nullptr, "SHBrowseForFolder ShellNameSpace Control", nullptr)) {
        return FindWindowExA(nameSpace, nullptr, WC_TREEVIEWA, nullptr);
    }
    return GetDlgItem(browser, kClassicTreeId);
}

bool ensureSelectionVisible(HWND tree)
{
    const auto selected =
        reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (selected == nullptr) {
        return false;
    }
    SendMessageA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(selected));
    return true;
}

void showSelectionOnceShown(HWND browser)
{
    SetTimer(browser, kShowSelectionTimer, kShowSelectionDelayMilliseconds, &showSelection);
}

void placeOverOwner(HWND browser, HWND owner)
{
    RECT over{};
    RECT frame{};
    if (owner == nullptr || GetWindowRect(owner, &over) == FALSE ||
        GetWindowRect(browser, &frame) == FALSE) {
        return;
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const window::ScreenRect place =
        window::fitOnScreen({over.left + (over.right - over.left - width) / 2,
                             over.top + (over.bottom - over.top - height) / 2, width, height},
                            {work.left, work.top, work.right - work.left, work.bottom - work.top});
    SetWindowPos(browser, nullptr, place.left, place.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace gantrel::ui::win32
