// SPDX-License-Identifier: MIT
#include "settings/settings_file.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "common/error.h"
#include "platform/platform.h"

namespace gantrel {
namespace {

constexpr const char* kFileName = "gantrel.ini";
constexpr const char* kSection = "mapfolder";
constexpr const char* kKey = "path";
// The native reader's 2,048-byte buffer, less its terminator.
constexpr std::size_t kMaxValueLength = 2047;

}  // namespace

std::string settingsFilePath(const std::string& programFolder)
{
    // Beside the executable, as a portable installation keeps it. An installed program's
    // folder is not the user's, even where the user may write it (as the superuser may): a file
    // made there would hand one user's maps folder to every other, and fail their writes.
    if (!programFolder.empty() && !platform::installedProgramFolder(programFolder) &&
        platform::folderWritable(programFolder)) {
        return programFolder + kFileName;
    }
    return platform::userSettingsFolder() + kFileName;
}

std::string settingsFilePath()
{
    return settingsFilePath(platform::executableFolder());
}

SettingsFile::SettingsFile(std::string path) : m_path(std::move(path)) {}

std::string SettingsFile::mapsFolder() const
{
    return platform::readProfileString(m_path, kSection, kKey, kMaxValueLength);
}

void SettingsFile::storeMapsFolder(const std::string& mapsFolder)
{
    // A line break would end the value early: what was stored would not read back.
    const bool readsBack = mapsFolder.find_first_of("\r\n") == std::string::npos;
    // The user's settings folder does not exist before the first write.
    const std::filesystem::path folder = std::filesystem::path(m_path).parent_path();
    if (readsBack && !folder.empty()) {
        std::error_code ignored;  // a folder that cannot be made fails the write below
        std::filesystem::create_directories(folder, ignored);
    }
    if (!readsBack || !platform::writeProfileString(m_path, kSection, kKey, mapsFolder)) {
        throw Error("Unable to write to " + platform::fullPath(m_path));
    }
}

}  // namespace gantrel
