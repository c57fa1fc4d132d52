// SPDX-License-Identifier: MIT
#include "window/opened_folder.h"

#include "platform/platform.h"

namespace gantrel::window {
namespace {

bool isRoot(const std::string& path)
{
    if (path.size() == 1) {
        return true;
    }
    return platform::hasDrives() && path.size() == 3 && path[1] == ':';
}

}  // namespace

std::string asChosenFolder(const std::string& path)
{
    std::string folder = platform::fullPath(path);
    while (!folder.empty() && platform::isSeparator(folder.back()) && !isRoot(folder)) {
        folder.pop_back();
    }
    return folder;
}

std::optional<std::string> droppedMapFolder(const std::vector<std::string>& localPaths)
{
    if (localPaths.size() != 1 || localPaths.front().empty() ||
        !platform::directoryExists(localPaths.front())) {
        return std::nullopt;
    }
    return asChosenFolder(localPaths.front());
}

}  // namespace gantrel::window
