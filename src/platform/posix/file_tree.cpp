// SPDX-License-Identifier: MIT
#include "platform/file_tree.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <memory>

#include "platform/posix/fold_name.h"

namespace gantrel::platform {
namespace {

struct CloseDir {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

std::optional<std::vector<FolderEntry>> listFolder(const std::string& folder)
{
    const std::unique_ptr<DIR, CloseDir> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) {
        return std::nullopt;
    }
    std::vector<FolderEntry> entries;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            const std::string path = folder + "/" + std::string(name);
            isFolder = ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        entries.push_back({std::string(name), isFolder});
    }
    return entries;
}

std::string fileNameKey(std::string_view name)
{
    return foldName(name);
}

std::optional<FileStamp> fileStamp(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return FileStamp{
        static_cast<std::uint64_t>(info.st_size),
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

bool fileReadOnly(const std::string& path)
{
    // The superuser may write anything, so the mode tells there.
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 &&
           (::access(path.c_str(), W_OK) != 0 || (info.st_mode & 0222) == 0);
}

bool createFolder(const std::string& path)
{
    return ::mkdir(path.c_str(), 0777) == 0;
}

std::string localTimeStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

}  // namespace gantrel::platform
