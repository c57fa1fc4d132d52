// SPDX-License-Identifier: MIT
#include "clipboard.h"

#include <cstring>
#include <string_view>

#include "platform/platform.h"

namespace gantrel::ui::win32 {
namespace {

// Another program may hold the clipboard open for a moment (a clipboard manager reads every
// change): a few tries over a fifth of a second.
constexpr int kOpenTries = 10;
constexpr DWORD kOpenPauseMilliseconds = 20;

// Puts `bytes` on the clipboard as `format`; the clipboard owns the memory once it took it.
void put(UINT format, const void* bytes, std::size_t size)
{
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr) {
        return;
    }
    std::memcpy(GlobalLock(memory), bytes, size);
    GlobalUnlock(memory);
    if (SetClipboardData(format, memory) == nullptr) {
        GlobalFree(memory);
    }
}

}  // namespace

bool setClipboardText(HWND owner, const std::string& text)
{
    bool open = false;
    for (int attempt = 0; attempt < kOpenTries && !open; ++attempt) {
        if (attempt > 0) {
            Sleep(kOpenPauseMilliseconds);
        }
        open = OpenClipboard(owner) != FALSE;
    }
    if (!open) {
        return false;
    }
    EmptyClipboard();
    put(CF_TEXT, text.c_str(), text.size() + 1);
    // Made by the system from CF_TEXT, the Unicode text would be converted by the code page of
    // the keyboard layout in use, not by the ANSI code page the text is in.
    const std::u16string units = platform::codePageToUtf16(text) + u'\0';
    put(CF_UNICODETEXT, units.data(), units.size() * sizeof(char16_t));
    // The system's locale is the one whose ANSI code page the program's text is in.
    const LCID locale = GetSystemDefaultLCID();
    put(CF_LOCALE, &locale, sizeof(locale));
    CloseClipboard();
    return true;
}

}  // namespace gantrel::ui::win32
