// SPDX-License-Identifier: MIT
#include "dpi.h"

namespace gantrel::ui::win32 {

int systemDpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

OwnedFont messageFont(int dpi)
{
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, systemDpi());
    return OwnedFont(CreateFontIndirectA(&metrics.lfMessageFont), &DeleteObject);
}

int windowDpi(HWND window)
{
    using DpiForWindow = UINT(WINAPI*)(HWND);
    // Looked up by name: imported, the call would keep Windows 7 from loading the program.
    static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (window != nullptr && dpiForWindow != nullptr) {
        if (const UINT dpi = dpiForWindow(window); dpi > 0) {
            return static_cast<int>(dpi);
        }
    }
    return systemDpi();
}

}  // namespace gantrel::ui::win32
