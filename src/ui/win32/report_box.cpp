// SPDX-License-Identifier: MIT
#include "report_box.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <type_traits>

#include "controls.h"
#include "modal_loop.h"
#include "window/screen_fit.h"
#include "window/window_design.h"

namespace gantrel::ui::win32 {
namespace {

constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;

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

}  // namespace

void showReportBox(const std::string& text, bool error)
{
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    const std::unique_ptr<std::remove_pointer_t<HFONT>, decltype(&DeleteObject)> font(
        CreateFontIndirectA(&metrics.lfMessageFont), &DeleteObject);

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
    const int fieldLeft = kMargin + (error ? kIconSize + kMargin : 0);
    // The edit's border and its scroll bars.
    const int fieldFrame = 2 * GetSystemMetrics(SM_CXEDGE) + 8;
    const SIZE needed = textSize(text, font.get());
    const int width = std::min<int>(
        frameWidth + fieldLeft + needed.cx + fieldFrame + GetSystemMetrics(SM_CXVSCROLL) + kMargin,
        static_cast<int>(workWidth * window::kReportScreenShare));
    const int height =
        std::min<int>(frameHeight + kMargin + needed.cy + fieldFrame +
                          GetSystemMetrics(SM_CYHSCROLL) + 2 * kMargin + kButtonHeight,
                      static_cast<int>(workHeight * window::kReportScreenShare));
    TopWindow box(
        {nullptr,
         0,
         {work.left + (workWidth - width) / 2, work.top + (workHeight - height) / 2, width, height},
         window::kApplicationTitle,
         style,
         nullptr},
        exStyle, nullptr);
    RECT client{};
    GetClientRect(box.hwnd(), &client);
    const HWND parent = box.hwnd();
    const int buttonTop = client.bottom - kMargin - kButtonHeight;

    std::unique_ptr<Static> icon;
    if (error) {
        icon = std::make_unique<Static>(
            Static::Kind::Icon,
            CreateArgs{parent, 0, {kMargin, kMargin, kIconSize, kIconSize}, "", 0, nullptr});
        SendMessageA(icon->hwnd(), STM_SETICON,
                     reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_HAND)), 0);
    }
    Edit field({parent,
                0,
                {fieldLeft, kMargin, client.right - fieldLeft - kMargin, buttonTop - 2 * kMargin},
                "",
                ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_VSCROLL |
                    WS_HSCROLL | WS_BORDER | WS_TABSTOP,
                font.get()});
    field.setText(withCrLf(text));
    Button ok({parent,
               IDOK,
               {client.right - kMargin - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight},
               "OK",
               WS_TABSTOP | BS_DEFPUSHBUTTON,
               font.get()});

    bool open = true;
    ok.onClick = [&] { open = false; };
    box.onMessage = [&](UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        // Escape and the close box close it as OK does.
        if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
            open = false;
            return 0;
        }
        return std::nullopt;
    };
    runModal(parent, ok.hwnd(), open);
}

}  // namespace gantrel::ui::win32
