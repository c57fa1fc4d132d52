// SPDX-License-Identifier: MIT
// The direct conversions between the program's 8-bit strings and the other encodings, made of
// the system's two conversions.

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace gantrel::platform {

void codePageToNarrow(std::string_view bytes, std::string& out)
{
    out = utf16ToNarrow(codePageToUtf16(bytes));
}

std::string utf8ToNarrow(std::string_view text)
{
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::u16string wide(static_cast<std::size_t>(units), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, reinterpret_cast<wchar_t*>(wide.data()),
                        units);
    return utf16ToNarrow(wide);
}

void utf8ToNarrow(std::string_view text, std::string& out)
{
    out = utf8ToNarrow(text);
}

std::string narrowToUtf8(std::string_view text)
{
    const std::u16string units = codePageToUtf16(text);
    if (units.empty()) {
        return {};
    }
    const auto* source = reinterpret_cast<LPCWCH>(units.data());
    const int length = static_cast<int>(units.size());
    const int size = WideCharToMultiByte(CP_UTF8, 0, source, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    const int written =
        WideCharToMultiByte(CP_UTF8, 0, source, length, utf8.data(), size, nullptr, nullptr);
    utf8.resize(static_cast<std::size_t>(written > 0 ? written : 0));
    return utf8;
}

}  // namespace gantrel::platform
