// SPDX-License-Identifier: MIT
#include "export/export_entry.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/copy.h"
#include "platform/platform.h"

namespace gantrel {
namespace {

namespace fs = std::filesystem;

bool isPathSeparator(char c)
{
    return c == '\\' || c == '/';
}

}  // namespace

bool isSafeEntry(std::string_view entry)
{
    if (entry.empty() || isPathSeparator(entry.front()) ||
        entry.find(':') != std::string_view::npos) {
        return false;
    }
    for (std::size_t start = 0; start <= entry.size();) {
        std::size_t end = start;
        while (end < entry.size() && !isPathSeparator(entry[end])) {
            ++end;
        }
        if (entry.substr(start, end - start) == "..") {
            return false;
        }
        start = end + 1;
    }
    return true;
}

bool isTopFolder(ExportList list, std::string_view entry)
{
    return entry == (list == ExportList::ObjectFolders ? "Sceneryobjects\\" : "Splines\\");
}

std::string targetOf(const std::string& destination, std::string_view entry)
{
    std::string target = destination;
    target += platform::separator();
    for (const char c : entry) {
        target += c == '\\' ? platform::separator() : c;
    }
    return target;
}

std::string copierSourceOf(const std::string& gameRoot, std::string_view entry)
{
    return gameRoot + std::string(entry.substr(0, entry.empty() ? 0 : entry.size() - 1));
}

std::string xcopyParameters(const std::string& gameRoot, const std::string& destination,
                            std::string_view entry)
{
    return "\"" + copierSourceOf(gameRoot, entry) + "\" \"" + destination + "\\" +
           std::string(entry) + "\" /S /Y /J /I";
}

bool staysInside(const std::string& destination, const std::string& target)
{
    std::error_code error;
    const fs::path folder = fs::weakly_canonical(destination, error);
    if (error) {
        return false;
    }
    const fs::path real = fs::weakly_canonical(target, error);
    if (error) {
        return false;
    }
    const fs::path relative = real.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

// The folder a path names, without a trailing separator: with one, the library's identity test
// on Windows does not find the folder and calls two names of it different.
fs::path folderOf(const std::string& path)
{
    const fs::path folder(path);
    return folder.has_filename() ? folder : folder.parent_path();
}

bool sameFolder(const std::string& first, const std::string& second)
{
    const std::optional<std::string> found = platform::resolveFolder(second);
    std::error_code error;
    return found && fs::is_directory(folderOf(first), error) &&
           fs::equivalent(folderOf(first), folderOf(*found), error) && !error;
}

}  // namespace gantrel
