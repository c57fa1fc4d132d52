// SPDX-License-Identifier: MIT
#include "progress.h"

#include <algorithm>
#include <utility>

#include "dpi.h"
#include "window/window_design.h"

namespace gantrel::ui::win32 {
namespace {

// The dialog's client size and margins at 96 dpi.
constexpr int kWidth = 300;

}  // namespace

DelayedProgress::DelayedProgress(HWND owner, int dpi, Clock clock, Cancel cancel,
                                 std::function<void()> render)
    : m_owner(owner),
      m_dpi(dpi),
      m_timing(std::move(clock)),
      m_cancel(cancel),
      m_render(std::move(render))
{
}

DelayedProgress::~DelayedProgress()
{
    close();
}

void DelayedProgress::update(const std::string& text, std::size_t value, std::size_t maximum)
{
    if (!m_timing.due(m_dialog != nullptr)) {
        return;
    }
    if (!m_dialog) {
        open(1 + static_cast<int>(std::count(text.begin(), text.end(), '\n')));
    }
    m_text->setText(text);
    m_bar->setPosition(value, maximum);
    m_render();
    pump();
}

void DelayedProgress::open(int lines)
{
    const auto scaled = [this](int pixels) { return MulDiv(pixels, m_dpi, 96); };
    // The text's lines beyond the first push the bar and the button down.
    const int below = 16 * (std::max(lines, 1) - 1);
    const int height = (m_cancel == Cancel::Yes ? 100 : 66) + below;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT outer{0, 0, scaled(kWidth), scaled(height)};
    AdjustWindowRectEx(&outer, style, FALSE, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT);
    RECT over{};
    GetWindowRect(m_owner, &over);
    const int width = outer.right - outer.left;
    const int tall = outer.bottom - outer.top;
    m_dialog = std::make_unique<TopWindow>(
        CreateArgs{m_owner,
                   0,
                   {over.left + (over.right - over.left - width) / 2,
                    over.top + (over.bottom - over.top - tall) / 2, width, tall},
                   window::kApplicationTitle,
                   style,
                   nullptr},
        WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, nullptr);
    m_dialog->onMessage = [this](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_CLOSE) {
            return std::nullopt;
        }
        // The close box stands for Cancel; without Cancel the operation goes on regardless.
        m_cancelled = m_cancelled || m_cancel == Cancel::Yes;
        return 0;
    };
    const HWND parent = m_dialog->hwnd();
    const auto font = reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const int inner = scaled(kWidth - 2 * kBoxMargin);
    m_text = std::make_unique<Static>(
        Static::Kind::Label,
        CreateArgs{parent,
                   kTextId,
                   {scaled(kBoxMargin), scaled(12), inner, scaled(kBoxLabelHeight + below)},
                   "",
                   0,
                   font});
    m_bar = std::make_unique<ProgressBar>(CreateArgs{
        parent, kBarId, {scaled(kBoxMargin), scaled(36 + below), inner, scaled(16)}, "", 0, font});
    if (m_cancel == Cancel::Yes) {
        m_cancelButton = std::make_unique<Button>(
            CreateArgs{parent,
                       IDCANCEL,
                       {scaled(kWidth - kBoxMargin - kBoxButtonWidth), scaled(64 + below),
                        scaled(kBoxButtonWidth), scaled(kBoxButtonHeight)},
                       "Cancel",
                       WS_TABSTOP | BS_DEFPUSHBUTTON,
                       font});
        m_cancelButton->onClick = [this] { m_cancelled = true; };
    }
    m_ownerDisabled = IsWindowEnabled(m_owner) != FALSE;
    if (m_ownerDisabled) {
        EnableWindow(m_owner, FALSE);
    }
    ShowWindow(parent, SW_SHOW);
    if (m_cancelButton) {
        SetFocus(m_cancelButton->hwnd());
    }
}

void DelayedProgress::pump()
{
    // The owner is disabled: input reaches the dialog only, while the windows repaint.
    MSG message{};
    while (m_dialog && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (IsDialogMessageA(m_dialog->hwnd(), &message) == FALSE) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

void DelayedProgress::close()
{
    if (!m_dialog) {
        return;
    }
    // The owner is enabled before the dialog goes, so that the system activates it again.
    if (m_ownerDisabled && IsWindow(m_owner)) {
        EnableWindow(m_owner, TRUE);
    }
    m_ownerDisabled = false;
    m_cancelButton.reset();
    m_bar.reset();
    m_text.reset();
    m_dialog.reset();
}

void DelayedProgress::restart()
{
    close();
    m_timing.restart();
}

}  // namespace gantrel::ui::win32
