// SPDX-License-Identifier: MIT
// Where things are on Windows: the executable's folder, the user's application data folder and
// the shell's special folders.

#include <shlobj.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace gantrel::platform {
namespace {

// The longest path the system handles, in UTF-16 units with its terminator.
constexpr std::size_t kLongestPath = 32768;

std::string joined(const std::string& folder, const std::string& name)
{
    return isSeparator(folder.back()) ? folder + name : folder + separator() + name;
}

}  // namespace

namespace win32 {

std::wstring executableFolderWide()
{
    // The wide call: the 8-bit one gives a folder whose name the code page cannot hold with
    // substitutes, which name no folder.
    std::wstring path(MAX_PATH, L'\0');
    while (path.size() <= kLongestPath) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        // Cut short, the path fills the buffer (and Windows XP leaves it unterminated).
        if (length < path.size()) {
            path.resize(length);
            const auto last = path.find_last_of(L"\\/");
            return last == std::wstring::npos ? std::wstring() : path.substr(0, last + 1);
        }
        path.resize(path.size() * 2);
    }
    return {};
}

std::wstring appDataFolderWide()
{
    // The shell knows the roaming application data folder even before it exists; the
    // environment's APPDATA serves where the shell cannot tell.
    wchar_t buffer[MAX_PATH] = {};
    std::wstring appData;
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_DONT_VERIFY, nullptr,
                                     SHGFP_TYPE_CURRENT, buffer))) {
        appData = buffer;
    } else if (const wchar_t* variable = ::_wgetenv(L"APPDATA")) {
        appData = variable;
    }
    while (!appData.empty() && (appData.back() == L'\\' || appData.back() == L'/')) {
        appData.pop_back();
    }
    return appData.empty() ? std::wstring() : appData + L'\\';
}

std::wstring systemPathWide(const std::string& path)
{
    for (const std::wstring& folder : {executableFolderWide(), appDataFolderWide()}) {
        if (folder.empty() || !unheldCharacter(folder)) {
            continue;
        }
        const std::string narrow = toNarrow(folder);
        if (path.size() >= narrow.size() &&
            sameName(toWide(path.substr(0, narrow.size())), toWide(narrow))) {
            return folder + toWide(path.substr(narrow.size()));
        }
    }
    return toWide(path);
}

}  // namespace win32

std::string executableFolder()
{
    return win32::toNarrow(win32::executableFolderWide());
}

std::string userSettingsFolder()
{
    const std::wstring appData = win32::appDataFolderWide();
    return appData.empty() ? std::string() : win32::toNarrow(appData) + "Gantrel\\";
}

bool installedProgramFolder(const std::string& /*folder*/)
{
    return false;
}

bool folderWritable(const std::string& folder)
{
    if (folder.empty() || !win32::isDirectory(::GetFileAttributesW(
                              win32::longPath(win32::systemPathWide(folder)).c_str()))) {
        return false;
    }
    // A folder's read-only attribute says nothing about creating files in it, and its access
    // rights are not simply read: a probe file tells, and the system removes it again as its
    // handle closes, so the folder keeps nothing.
    const std::string stem =
        joined(folder, ".gantrel-probe-" + std::to_string(::GetCurrentProcessId()) + "-" +
                           std::to_string(::GetTickCount64()) + "-");
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string probe = stem + std::to_string(attempt) + ".tmp";
        const win32::Handle file(::CreateFileW(
            win32::longPath(win32::systemPathWide(probe)).c_str(), GENERIC_WRITE, 0, nullptr,
            CREATE_NEW,
            FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (file.valid()) {
            return true;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    return false;
}

std::string specialFolder(int id)
{
    char buffer[MAX_PATH] = {};
    if (::SHGetSpecialFolderPathA(nullptr, buffer, id, FALSE) == 0) {
        return {};
    }
    return std::string(buffer) + '\\';
}

}  // namespace gantrel::platform
