// SPDX-License-Identifier: MIT
#include "input_box.h"

#include "controls.h"
#include "dpi.h"
#include "modal_loop.h"

namespace gantrel::ui::win32 {

std::optional<std::string> inputBox(HWND owner, const std::string& title, const std::string& prompt,
                                    const std::string& text)
{
    // Laid out for the dpi of the owner's monitor, as the main window is, in the system's
    // message font at that dpi.
    const int dpi = windowDpi(owner);
    const auto scaled = [dpi](int pixels) { return scaledTo(pixels, dpi); };
    const OwnedFont owned = messageFont(dpi);
    const HFONT font = owned.get();
    RECT outer{0, 0, scaled(330), scaled(110)};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    AdjustWindowRectEx(&outer, style, FALSE, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    TopWindow box({owner,
                   0,
                   {(GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                    (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height},
                   title,
                   style,
                   nullptr},
                  WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, nullptr);
    const HWND parent = box.hwnd();
    const Static label(
        Static::Kind::Label,
        {parent, 0, {scaled(10), scaled(10), scaled(310), scaled(16)}, prompt, 0, font});
    Edit entry({parent,
                1,
                {scaled(10), scaled(30), scaled(310), scaled(22)},
                text,
                WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
                font});
    Button ok({parent,
               IDOK,
               {scaled(160), scaled(72), scaled(75), scaled(25)},
               "OK",
               WS_TABSTOP | BS_DEFPUSHBUTTON,
               font});
    Button cancel({parent,
                   IDCANCEL,
                   {scaled(245), scaled(72), scaled(75), scaled(25)},
                   "Cancel",
                   WS_TABSTOP,
                   font});

    std::optional<std::string> answer;
    bool open = true;
    ok.onClick = [&] {
        answer = entry.text();
        open = false;
    };
    cancel.onClick = [&] { open = false; };
    box.onMessage = [&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_CLOSE) {
            open = false;
            return 0;
        }
        return std::nullopt;
    };

    runModal(parent, entry.hwnd(), open);
    return answer;
}

}  // namespace gantrel::ui::win32
