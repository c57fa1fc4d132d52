// SPDX-License-Identifier: MIT
#include "report_box.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <type_traits>

#include "controls.h"
#include "dpi.h"
#include "modal_loop.h"
#include "window/screen_fit.h"
#include "window/window_design.h"

namespace gantrel::ui::win32 {
namespace {

// At 96 dpi.
constexpr int kIconSizeDesigned = 32;

// The text with every line break a CR LF, as an edit control shows it.
std::string withCrLf(const std::string& text)
{
    std::string lines;
    lines.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            lines += '\r';
        }
        lines += text[i];
    }
    return lines;
}

// The size the text takes in `font`: its widest line and all its lines.
SIZE textSize(const std::string& text, HFONT font)
{
    const HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SIZE size{0, 0};
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        SIZE line{};
        GetTextExtentPoint32A(dc, text.data() + start, static_cast<int>(end - start), &line);
        size.cx = std::max(size.cx, line.cx);
        size.cy += metrics.tmHeight;
        start = end + 1;
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size;
}

// The report box, with Cancel beside OK when `confirm`: true when OK closed it.
bool runReportBox(const std::string& text, bool error, bool confirm, HWND owner)
{
    // Laid out for the dpi of the owner's monitor, as the main window is; the system's message
    // font is given for the system's dpi.
    const int dpi = windowDpi(owner);
    const int margin = scaledTo(kBoxMargin, dpi);
    const int iconSize = scaledTo(kIconSizeDesigned, dpi);
    const int buttonWidth = scaledTo(kBoxButtonWidth, dpi);
    const int buttonHeight = scaledTo(kBoxButtonHeight, dpi);
    const OwnedFont font = messageFont(dpi);

    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoA(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int workWidth = work.right - work.left;
    const int workHeight = work.bottom - work.top;

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int frameWidth = frame.right - frame.left;
    const int frameHeight = frame.bottom - frame.top;
    const int fieldLeft = margin + (error ? iconSize + margin : 0);
    // The edit's border and its scroll bars.
    const int fieldFrame = 2 * GetSystemMetrics(SM_CXEDGE) + 8;
    const SIZE needed = textSize(text, font.get());
    const int width = std::min<int>(
        frameWidth + fieldLeft + needed.cx + fieldFrame + GetSystemMetrics(SM_CXVSCROLL) + margin,
        static_cast<int>(workWidth * window::kReportScreenShare));
    const int height = std::min<int>(frameHeight + margin + needed.cy + fieldFrame +
                                         GetSystemMetrics(SM_CYHSCROLL) + 2 * margin + buttonHeight,
                                     static_cast<int>(workHeight * window::kReportScreenShare));
    TopWindow box(
        {owner,
         0,
         {work.left + (workWidth - width) / 2, work.top + (workHeight - height) / 2, width, height},
         window::kApplicationTitle,
         style,
         nullptr},
        exStyle, nullptr);
    RECT client{};
    GetClientRect(box.hwnd(), &client);
    const HWND parent = box.hwnd();
    const int buttonTop = client.bottom - margin - buttonHeight;

    std::unique_ptr<Static> icon;
    if (error) {
        icon = std::make_unique<Static>(
            Static::Kind::Icon,
            CreateArgs{parent, 0, {margin, margin, iconSize, iconSize}, "", 0, nullptr});
        SendMessageA(icon->hwnd(), STM_SETICON,
                     reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_HAND)), 0);
    }
    Edit field({parent,
                0,
                {fieldLeft, margin, client.right - fieldLeft - margin, buttonTop - 2 * margin},
                "",
                ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_VSCROLL |
                    WS_HSCROLL | WS_BORDER | WS_TABSTOP,
                font.get()});
    field.setText(withCrLf(text));
    const int okRight = client.right - margin - (confirm ? buttonWidth + margin / 2 : 0);
    Button ok({parent,
               IDOK,
               {okRight - buttonWidth, buttonTop, buttonWidth, buttonHeight},
               "OK",
               static_cast<DWORD>(WS_TABSTOP | (confirm ? 0 : BS_DEFPUSHBUTTON)),
               font.get()});
    std::unique_ptr<Button> cancel;
    if (confirm) {
        cancel = std::make_unique<Button>(
            CreateArgs{parent,
                       IDCANCEL,
                       {client.right - margin - buttonWidth, buttonTop, buttonWidth, buttonHeight},
                       "Cancel",
                       WS_TABSTOP | BS_DEFPUSHBUTTON,
                       font.get()});
    }

    bool open = true;
    bool confirmed = false;
    ok.onClick = [&] {
        confirmed = true;
        open = false;
    };
    if (cancel) {
        cancel->onClick = [&] { open = false; };
    }
    box.onMessage = [&](UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        // Escape and the close box close it as Cancel does, or as OK where there is none.
        if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
            open = false;
            return 0;
        }
        return std::nullopt;
    };
    runModal(parent, cancel ? cancel->hwnd() : ok.hwnd(), open);
    return confirmed;
}

}  // namespace

void showReportBox(const std::string& text, bool error, HWND owner)
{
    runReportBox(text, error, false, owner);
}

bool confirmReportBox(const std::string& text, HWND owner)
{
    return runReportBox(text, false, true, owner);
}

}  // namespace gantrel::ui::win32
