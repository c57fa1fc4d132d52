// SPDX-License-Identifier: MIT
#include "platform/code_page.h"

#include <unicode/ustring.h>

#include "platform/platform.h"

namespace gantrel::platform {

std::u16string narrowToUtf16(std::string_view text)
{
    std::u16string out(text.size() + 1, u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, text.data(),
                         static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return out;
}

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
