// SPDX-License-Identifier: MIT
#include "platform/code_page.h"

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace gantrel::platform {

std::u16string narrowToUtf16(std::string_view text)
{
    return codePageToUtf16(text);  // the program's strings are in the tile code page
}

std::optional<std::string> utf16ToCodePageExactly(std::u16string_view text)
{
    if (text.empty()) {
        return std::string();
    }
    // No best fit: a character the code page lacks becomes its default character, which the
    // conversion back then shows.
    const UINT codePage = ::GetACP();
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const auto* units = reinterpret_cast<LPCWCH>(text.data());
    const int length = static_cast<int>(text.size());
    const int needed =
        ::WideCharToMultiByte(codePage, flags, units, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(codePage, flags, units, length, bytes.data(), needed, nullptr, nullptr);
    if (codePageToUtf16(bytes) != text) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace gantrel::platform
