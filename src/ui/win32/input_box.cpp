// SPDX-License-Identifier: MIT
#include "input_box.h"

#include "controls.h"
#include "modal_loop.h"

namespace gantrel::ui::win32 {

std::optional<std::string> inputBox(HWND owner, const std::string& title, const std::string& prompt,
                                    const std::string& text)
{
    const auto font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    RECT outer{0, 0, 330, 110};
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
    const Static label(Static::Kind::Label, {parent, 0, {10, 10, 310, 16}, prompt, 0, font});
    Edit entry({parent, 1, {10, 30, 310, 22}, text, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, font});
    Button ok({parent, IDOK, {160, 72, 75, 25}, "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, font});
    Button cancel({parent, IDCANCEL, {245, 72, 75, 25}, "Cancel", WS_TABSTOP, font});

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
