// SPDX-License-Identifier: MIT
#include "modal_loop.h"

namespace gantrel::ui::win32 {
namespace {

struct Disabling {
    HWND kept;
    std::vector<HWND>* windows;
};

BOOL CALLBACK disable(HWND window, LPARAM data)
{
    const auto& disabling = *reinterpret_cast<const Disabling*>(data);
    if (window != disabling.kept && IsWindowVisible(window) && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        disabling.windows->push_back(window);
    }
    return TRUE;
}

}  // namespace

DisabledWindows::DisabledWindows(HWND kept)
{
    Disabling disabling{kept, &m_windows};
    EnumThreadWindows(GetCurrentThreadId(), &disable, reinterpret_cast<LPARAM>(&disabling));
}

DisabledWindows::~DisabledWindows()
{
    for (const HWND window : m_windows) {
        if (IsWindow(window)) {
            EnableWindow(window, TRUE);
        }
    }
}

std::unique_ptr<TopWindow> ownedBox(HWND owner, const char* title, int width, int height)
{
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT outer{0, 0, width, height};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    const int outerWidth = outer.right - outer.left;
    const int outerHeight = outer.bottom - outer.top;
    RECT ownerPlace{};
    GetWindowRect(owner, &ownerPlace);
    return std::make_unique<TopWindow>(
        CreateArgs{
            owner,
            0,
            {(ownerPlace.left + ownerPlace.right - outerWidth) / 2,
             (ownerPlace.top + ownerPlace.bottom - outerHeight) / 2, outerWidth, outerHeight},
            title,
            style,
            nullptr},
        exStyle, nullptr);
}

void runModal(HWND box, HWND focus, const bool& open)
{
    const DisabledWindows others;
    ShowWindow(box, SW_SHOW);
    SetFocus(focus);
    MSG message{};
    while (open && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(box, &message) == FALSE) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
    }
}

}  // namespace gantrel::ui::win32
