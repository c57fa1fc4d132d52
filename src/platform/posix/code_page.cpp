// SPDX-License-Identifier: MIT
#include "platform/code_page.h"

#include "platform/platform.h"

namespace gantrel::platform {

std::optional<std::string> utf16ToCodePageExactly(std::u16string_view text)
{
    // The tile code page is single-byte: a character it holds is the one byte that decodes to it.
    std::string out;
    out.reserve(text.size());
    for (const char16_t unit : text) {
        if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
            out += static_cast<char>(unit);
            continue;
        }
        bool held = false;
        for (unsigned byte = 0x80; byte < 0xA0 && !held; ++byte) {
            const char c = static_cast<char>(byte);
            if (codePageToUtf16(std::string_view(&c, 1)).front() == unit) {
                out += c;
                held = true;
            }
        }
        if (!held) {
            return std::nullopt;
        }
    }
    return out;
}

}  // namespace gantrel::platform
