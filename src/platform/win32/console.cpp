// SPDX-License-Identifier: MIT
// Text for a console on Windows. The program's 8-bit text is in the ANSI code page, while a
// console shows bytes in its own code page (the OEM one): written as bytes, every character
// beyond ASCII would show as another. The console's UTF-16 interface shows them as they are.

#include <algorithm>
#include <iostream>

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace gantrel::platform {
namespace {

// The console behind one of the standard streams, if the stream goes to a console.
HANDLE consoleOf(const std::ostream& out)
{
    const DWORD which = &out == &std::cout   ? STD_OUTPUT_HANDLE
                        : &out == &std::cerr ? STD_ERROR_HANDLE
                                             : 0;
    if (which == 0) {
        return nullptr;
    }
    const HANDLE handle = ::GetStdHandle(which);
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
                   ::GetConsoleMode(handle, &mode) != 0
               ? handle
               : nullptr;
}

}  // namespace

void writeText(std::ostream& out, std::string_view text)
{
    const HANDLE console = consoleOf(out);
    if (console == nullptr) {
        out << text;
        return;
    }
    out.flush();  // what the stream holds comes first
    const std::wstring units = win32::toWide(text);
    // In pieces that never split a surrogate pair: old consoles take no large writes.
    constexpr std::size_t kPiece = 8192;
    for (std::size_t done = 0; done < units.size();) {
        std::size_t piece = std::min(kPiece, units.size() - done);
        if (done + piece < units.size() && IS_HIGH_SURROGATE(units[done + piece - 1])) {
            --piece;
        }
        DWORD written = 0;
        if (::WriteConsoleW(console, units.data() + done, static_cast<DWORD>(piece), &written,
                            nullptr) == 0 ||
            written == 0) {
            out.setstate(std::ios::badbit);
            return;
        }
        done += written;
    }
}

}  // namespace gantrel::platform
