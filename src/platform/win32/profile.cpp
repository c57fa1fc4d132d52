// SPDX-License-Identifier: MIT
// Initialisation files on Windows: the system's own reader and writer, which define the format
// that the POSIX side reproduces.

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace gantrel::platform {
namespace {

// The file's path as the system names it. The system looks a bare file name up in the Windows
// folder; the full path keeps a relative name in the current folder, as on every other
// platform.
std::wstring profilePath(const std::string& file)
{
    return win32::systemPathWide(fullPath(file));
}

// True when the 8-bit routines can take the path: the code page holds all of it. Otherwise the
// wide routines take it, which write a new file in the ANSI code page just as well.
bool ansiPath(const std::wstring& path)
{
    return !win32::unheldCharacter(path);
}

}  // namespace

std::string readProfileString(const std::string& file, std::string_view section,
                              std::string_view key, std::size_t maxLength)
{
    const std::string sectionName(section);
    const std::string keyName(key);
    const std::wstring path = profilePath(file);
    // The buffer holds the value and its terminator.
    const auto size = static_cast<DWORD>(std::min<std::size_t>(maxLength, MAXDWORD - 1) + 1);
    std::string value;
    if (ansiPath(path)) {
        value.assign(size, '\0');
        const DWORD length =
            ::GetPrivateProfileStringA(sectionName.c_str(), keyName.c_str(), "", value.data(), size,
                                       win32::toNarrow(path).c_str());
        value.resize(std::min<DWORD>(length, size - 1));
    } else {
        std::wstring units(size, L'\0');
        const DWORD length = ::GetPrivateProfileStringW(win32::toWide(sectionName).c_str(),
                                                        win32::toWide(keyName).c_str(), L"",
                                                        units.data(), size, path.c_str());
        units.resize(std::min<DWORD>(length, size - 1));
        value = win32::toNarrow(units);
        value.resize(std::min<std::size_t>(value.size(), size - 1));
    }
    value.resize(win32::wholeCharactersLength(value));
    return value;
}

bool writeProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value)
{
    const std::string sectionName(section);
    const std::string keyName(key);
    const std::string text(value);
    const std::wstring path = profilePath(file);
    // The system's writer fails on a read-only file by itself, unless its access is not
    // checked (Wine run by root): asked first, the answer is the same everywhere.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    if (ansiPath(path)) {
        return ::WritePrivateProfileStringA(sectionName.c_str(), keyName.c_str(), text.c_str(),
                                            win32::toNarrow(path).c_str()) != 0;
    }
    return ::WritePrivateProfileStringW(win32::toWide(sectionName).c_str(),
                                        win32::toWide(keyName).c_str(), win32::toWide(text).c_str(),
                                        path.c_str()) != 0;
}

}  // namespace gantrel::platform
