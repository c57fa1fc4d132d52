// SPDX-License-Identifier: MIT
#include "clipboard.h"

namespace gantrel::ui::win32 {

void setClipboardText(HWND owner, const std::string& text)
{
    if (OpenClipboard(owner) == FALSE) {
        return;
    }
    EmptyClipboard();
    if (const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        auto* bytes = static_cast<char*>(GlobalLock(memory));
        text.copy(bytes, text.size());
        bytes[text.size()] = '\0';
        GlobalUnlock(memory);
        // The clipboard owns the memory once it took it.
        if (SetClipboardData(CF_TEXT, memory) == nullptr) {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

}  // namespace gantrel::ui::win32
