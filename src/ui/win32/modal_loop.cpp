// SPDX-License-Identifier: MIT
#include "modal_loop.h"

namespace gantrel::ui::win32 {
namespace {

BOOL CALLBACK disable(HWND window, LPARAM windows)
{
    if (IsWindowVisible(window) && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    }
    return TRUE;
}

}  // namespace

DisabledWindows::DisabledWindows()
{
    EnumThreadWindows(GetCurrentThreadId(), &disable, reinterpret_cast<LPARAM>(&m_windows));
}

DisabledWindows::~DisabledWindows()
{
    for (const HWND window : m_windows) {
        if (IsWindow(window)) {
            EnableWindow(window, TRUE);
        }
    }
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
