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
