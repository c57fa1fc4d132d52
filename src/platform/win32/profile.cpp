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

// The system looks a bare file name up in the Windows folder; the full path keeps a relative
// name in the current folder, as on every other platform.
std::string profilePath(const std::string& file)
{
    return fullPath(file);
}

// The length of the longest prefix of whole characters: a reader cut short may end in the
// lead byte of a character of two bytes.
std::size_t wholeCharacters(std::string_view text)
{
    if (codePageIsSingleByte()) {
        return text.size();
    }
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t step =
            ::IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(text[i])) != 0 ? 2 : 1;
        if (i + step > text.size()) {
            break;
        }
        i += step;
    }
    return i;
}

}  // namespace

std::string readProfileString(const std::string& file, std::string_view section,
                              std::string_view key, std::size_t maxLength)
{
    const std::string sectionName(section);
    const std::string keyName(key);
    // The buffer holds the value and its terminator.
    const auto size = static_cast<DWORD>(std::min<std::size_t>(maxLength, MAXDWORD - 1) + 1);
    std::string value(size, '\0');
    const DWORD length = ::GetPrivateProfileStringA(sectionName.c_str(), keyName.c_str(), "",
                                                    value.data(), size, profilePath(file).c_str());
    value.resize(std::min<DWORD>(length, size - 1));
    value.resize(wholeCharacters(value));
    return value;
}

bool writeProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value)
{
    const std::string sectionName(section);
    const std::string keyName(key);
    const std::string text(value);
    const std::string path = profilePath(file);
    // The system's writer fails on a read-only file by itself, unless its access is not
    // checked (Wine run by root): asked first, the answer is the same everywhere.
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    return ::WritePrivateProfileStringA(sectionName.c_str(), keyName.c_str(), text.c_str(),
                                        path.c_str()) != 0;
}

}  // namespace gantrel::platform
