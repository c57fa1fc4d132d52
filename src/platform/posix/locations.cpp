// SPDX-License-Identifier: MIT
// Where things are on POSIX: the executable's folder, the user's settings folder, and the shell
// folders that this platform does not have.

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/platform.h"

namespace gantrel::platform {
namespace {

// The root becomes empty, so that appending "/name" never doubles a slash.
std::string withoutTrailingSlashes(std::string path)
{
    while (!path.empty() && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// $HOME as the user set it, else the home folder of the account; empty when neither is known.
std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return home;
    }
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return {};
}

}  // namespace

std::string executableFolder()
{
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            const std::string path(buffer.data(), static_cast<std::size_t>(length));
            const auto slash = path.rfind('/');
            return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string userSettingsFolder()
{
    // The base directory rules ignore a relative XDG_CONFIG_HOME.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && configHome[0] == '/') {
        return withoutTrailingSlashes(configHome) + "/gantrel/";
    }
    const std::string home = homeFolder();
    if (home.empty()) {
        return {};
    }
    return withoutTrailingSlashes(home) + "/.config/gantrel/";
}

bool folderWritable(const std::string& folder)
{
    struct stat info {};
    if (folder.empty() || ::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return false;
    }
    // Asking the system, rather than trying a file, keeps the folder free of probes; it also
    // answers for read-only mounts.
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool installedProgramFolder(const std::string& folder)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || info.st_uid != ::geteuid()) {
        return true;
    }
    if (info.st_uid != 0) {
        return false;
    }
    // /usr/bin is the superuser's as much as its home is: only the home counts as its own.
    const std::string home = withoutTrailingSlashes(homeFolder());
    std::error_code homeError;
    std::error_code folderError;
    const std::filesystem::path homePath = std::filesystem::weakly_canonical(home, homeError);
    const std::filesystem::path folderPath = std::filesystem::weakly_canonical(folder, folderError);
    if (homeError || folderError || home.empty() || home.front() != '/') {
        return true;
    }
    return std::mismatch(homePath.begin(), homePath.end(), folderPath.begin(), folderPath.end())
               .first != homePath.end();
}

std::string specialFolder(int /*id*/)
{
    return {};
}

}  // namespace gantrel::platform
