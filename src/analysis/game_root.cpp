// SPDX-License-Identifier: MIT
#include "analysis/game_root.h"

#include "platform/platform.h"

namespace gantrel {
namespace {

std::size_t lastSeparator(std::string_view text)
{
    for (std::size_t i = text.size(); i-- > 0;) {
        if (platform::isSeparator(text[i])) {
            return i;
        }
    }
    return std::string_view::npos;
}

// Length of the root at the start of a folder path that ends in a separator: "/" or "\",
// "C:" or "C:\", "\\server\share\"; 0 for a relative path.
std::size_t rootLength(std::string_view folder)
{
    const auto sep = [&](std::size_t i) {
        return i < folder.size() && platform::isSeparator(folder[i]);
    };
    if (sep(0) && sep(1)) {
        std::size_t i = 2;
        for (int names = 0; names < 2 && i < folder.size(); ++names) {
            while (i < folder.size() && !sep(i)) {
                ++i;
            }
            if (i < folder.size()) {
                ++i;
            }
        }
        return i;
    }
    if (folder.size() >= 2 && folder[1] == ':' && platform::hasDrives()) {
        return sep(2) ? 3 : 2;
    }
    return sep(0) ? 1 : 0;
}

}  // namespace

std::string mapsFolderOf(std::string_view mapPath)
{
    const std::size_t last = lastSeparator(mapPath);
    return last == std::string_view::npos ? std::string()
                                          : std::string(mapPath.substr(0, last + 1));
}

std::string gameRoot(std::string_view mapPath)
{
    const std::string folder = mapsFolderOf(mapPath);
    const std::size_t root = rootLength(folder);
    if (folder.size() <= root) {
        return folder;
    }
    const std::string_view parent = std::string_view(folder).substr(0, folder.size() - 1);
    const std::size_t cut = lastSeparator(parent);
    if (cut == std::string_view::npos || cut + 1 < root) {
        return folder.substr(0, root);
    }
    return folder.substr(0, cut + 1);
}

}  // namespace gantrel
