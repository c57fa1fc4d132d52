// SPDX-License-Identifier: MIT
#include "settings/not_needed_folders.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "common/error.h"
#include "platform/platform.h"

namespace gantrel {
namespace {

constexpr const char* kSection = "notneeded";
constexpr char kSeparator = '|';
// Far more than the folders of any map; the native reader needs a bound.
constexpr std::size_t kMaxValueLength = 1 << 20;

bool holdsKey(const std::string& gameRoot)
{
    return !gameRoot.empty() && gameRoot.find_first_of("=\r\n") == std::string::npos &&
           gameRoot.front() != '[' && gameRoot.front() != ';';
}

}  // namespace

NotNeededFolders::NotNeededFolders(std::string settingsPath) : m_path(std::move(settingsPath)) {}

std::vector<std::string> NotNeededFolders::read(const std::string& gameRoot) const
{
    std::vector<std::string> folders;
    if (!holdsKey(gameRoot)) {
        return folders;
    }
    const std::string value =
        platform::readProfileString(m_path, kSection, gameRoot, kMaxValueLength);
    for (std::size_t start = 0; start < value.size();) {
        std::size_t end = value.find(kSeparator, start);
        end = end == std::string::npos ? value.size() : end;
        if (end > start) {
            folders.push_back(value.substr(start, end - start));
        }
        start = end + 1;
    }
    return folders;
}

void NotNeededFolders::store(const std::string& gameRoot,
                             const std::vector<std::string>& folders) const
{
    if (!holdsKey(gameRoot)) {
        return;
    }
    std::string value;
    for (const std::string& folder : folders) {
        value += (value.empty() ? "" : std::string(1, kSeparator)) + folder;
    }
    const std::filesystem::path folder = std::filesystem::path(m_path).parent_path();
    if (!folder.empty()) {
        std::error_code ignored;  // a folder that cannot be made fails the write below
        std::filesystem::create_directories(folder, ignored);
    }
    if (!platform::writeProfileString(m_path, kSection, gameRoot, value)) {
        throw Error("Unable to write to " + platform::fullPath(m_path));
    }
}

}  // namespace gantrel
