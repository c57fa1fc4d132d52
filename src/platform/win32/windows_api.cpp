// SPDX-License-Identifier: MIT
#include "platform/win32/windows_api.h"

#include "platform/platform.h"

namespace gantrel::platform::win32 {

std::wstring toWide(std::string_view text)
{
    const std::u16string units = codePageToUtf16(text);
    return std::wstring(units.begin(), units.end());
}

std::string toNarrow(std::wstring_view text)
{
    return utf16ToNarrow(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::wstring fullPathWide(const std::wstring& path)
{
    DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    while (size != 0) {
        std::wstring buffer(size, L'\0');
        const DWORD length = ::GetFullPathNameW(path.c_str(), size, buffer.data(), nullptr);
        if (length < size) {
            buffer.resize(length);
            return length == 0 ? path : buffer;
        }
        size = length;  // the path changed meanwhile (the current folder): ask again
    }
    return path;
}

bool isDirectory(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string systemText(DWORD code)
{
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    if (buffer == nullptr) {
        return {};
    }
    const std::string text = toNarrow(std::wstring_view(buffer, length));
    ::LocalFree(buffer);
    return text;
}

}  // namespace gantrel::platform::win32
