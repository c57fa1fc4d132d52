// SPDX-License-Identifier: MIT
#include "platform/win32/windows_api.h"

#include <cstdio>

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

std::wstring longPath(const std::wstring& path)
{
    // The old limit, less the room that a folder's path keeps for a file name of 8.3 form.
    constexpr std::size_t kOldLimit = MAX_PATH - 12;
    std::wstring full = fullPathWide(path);
    // A device ("\\.\CON") or a path with the prefix already is left as it is.
    if (full.size() < kOldLimit || full.starts_with(LR"(\\?\)") || full.starts_with(LR"(\\.\)")) {
        return full;
    }
    if (full.starts_with(LR"(\\)")) {
        return LR"(\\?\UNC\)" + full.substr(2);
    }
    return LR"(\\?\)" + full;
}

std::size_t rootLength(std::wstring_view path)
{
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
        return 3;
    }
    if (path.starts_with(L"\\\\")) {
        const std::size_t server = path.find(L'\\', 2);
        const std::size_t share = server == std::wstring_view::npos ? std::wstring_view::npos
                                                                    : path.find(L'\\', server + 1);
        return share == std::wstring_view::npos ? path.size() : share + 1;
    }
    return 0;
}

bool sameName(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() &&
           ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::optional<char32_t> unheldCharacter(std::wstring_view name, UINT codePage)
{
    const UINT page = codePage == CP_ACP ? ::GetACP() : codePage;
    // For UTF-8 the conversion refuses WC_NO_BEST_FIT_CHARS and the used-default flag (it
    // fails with both): every character can be written there, and WC_ERR_INVALID_CHARS finds
    // the lone surrogate, which is no character.
    const bool utf8 = page == CP_UTF8;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const bool pair =
            IS_HIGH_SURROGATE(name[i]) && i + 1 < name.size() && IS_LOW_SURROGATE(name[i + 1]);
        const int units = pair ? 2 : 1;
        // Without best fit, a character the code page lacks comes out as its default
        // character, and the conversion says so.
        BOOL usedDefault = FALSE;
        char bytes[8];
        const int length =
            utf8 ? ::WideCharToMultiByte(page, WC_ERR_INVALID_CHARS, name.data() + i, units, bytes,
                                         sizeof bytes, nullptr, nullptr)
                 : ::WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, name.data() + i, units, bytes,
                                         sizeof bytes, nullptr, &usedDefault);
        if (length == 0 || usedDefault != FALSE) {
            return pair ? static_cast<char32_t>(0x10000 + ((name[i] - 0xD800) << 10) +
                                                (name[i + 1] - 0xDC00))
                        : static_cast<char32_t>(name[i]);
        }
        i += static_cast<std::size_t>(units - 1);
    }
    return std::nullopt;
}

std::size_t wholeCharactersLength(std::string_view text, UINT codePage)
{
    const UINT page = codePage == CP_ACP ? ::GetACP() : codePage;
    if (page == CP_UTF8) {
        // Back over the trail bytes at the end to the lead byte they follow: the character is
        // whole when the lead byte announces as many bytes as there are.
        std::size_t lead = text.size();
        while (lead > 0 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80 &&
               text.size() - lead < 3) {
            --lead;
        }
        if (lead == 0) {
            return text.size();
        }
        const auto first = static_cast<unsigned char>(text[lead - 1]);
        const std::size_t needed = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
        return text.size() - (lead - 1) >= needed ? text.size() : lead - 1;
    }
    CPINFO info{};
    if (::GetCPInfo(page, &info) == 0 || info.MaxCharSize == 1) {
        return text.size();
    }
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t step = ::IsDBCSLeadByteEx(page, static_cast<BYTE>(text[i])) != 0 ? 2 : 1;
        if (i + step > text.size()) {
            break;
        }
        i += step;
    }
    return i;
}

Error unheldNameError(const std::string& path, char32_t character)
{
    std::wstring units;
    if (character > 0xFFFF) {
        units = {static_cast<wchar_t>(0xD800 + ((character - 0x10000) >> 10)),
                 static_cast<wchar_t>(0xDC00 + ((character - 0x10000) & 0x3FF))};
    } else {
        units = {static_cast<wchar_t>(character)};
    }
    char codePoint[16];
    std::snprintf(codePoint, sizeof codePoint, "U+%04X", static_cast<unsigned>(character));
    return Error("The name of \"" + path +
                 "\" holds a character that the system's code page cannot hold: " + codePoint +
                 ", shown here as \"" + toNarrow(units) + "\".");
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
