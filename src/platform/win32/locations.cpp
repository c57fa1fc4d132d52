// SPDX-License-Identifier: MIT
// Where things are on Windows: the executable's folder, the user's application data folder and
// the shell's special folders.

#include <shlobj.h>

#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace gantrel::platform {
namespace {

// The longest path the system handles, in bytes of the ANSI code page.
constexpr std::size_t kLongestPath = 32767 * 2;

std::string withoutTrailingSeparators(std::string path)
{
    while (!path.empty() && isSeparator(path.back())) {
        path.pop_back();
    }
    return path;
}

std::string joined(const std::string& folder, const std::string& name)
{
    return isSeparator(folder.back()) ? folder + name : folder + separator() + name;
}

}  // namespace

std::string executableFolder()
{
    std::string path(MAX_PATH, '\0');
    while (path.size() <= kLongestPath) {
        const DWORD length =
            ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            const auto last = path.find_last_of("\\/");
            return last == std::string::npos ? std::string() : path.substr(0, last + 1);
        }
        path.resize(path.size() * 2);  // cut short: the buffer was too small
    }
    return {};
}

std::string userSettingsFolder()
{
    // The shell knows the roaming application data folder even before it exists; the
    // environment's APPDATA serves where the shell cannot tell.
    char buffer[MAX_PATH] = {};
    std::string appData;
    if (SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_DONT_VERIFY, nullptr,
                                     SHGFP_TYPE_CURRENT, buffer))) {
        appData = buffer;
    } else if (const char* variable = std::getenv("APPDATA")) {
        appData = variable;
    }
    appData = withoutTrailingSeparators(appData);
    return appData.empty() ? std::string() : appData + "\\Gantrel\\";
}

bool installedProgramFolder(const std::string& /*folder*/)
{
    return false;
}

bool folderWritable(const std::string& folder)
{
    if (folder.empty() ||
        !win32::isDirectory(::GetFileAttributesW(win32::longPath(win32::toWide(folder)).c_str()))) {
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
            win32::longPath(win32::toWide(probe)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
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
