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

std::string settingsFilePath()
{
    // Beside the executable, as a portable installation keeps it; an installed program's
    // folder is not the user's to write, so the user's own folder takes over there.
    const std::string programFolder = platform::executableFolder();
    if (!programFolder.empty()) {
        const std::string besideProgram = programFolder + kFileName;
        std::error_code ignored;
        if (std::filesystem::exists(besideProgram, ignored) ||
            platform::folderWritable(programFolder)) {
            return besideProgram;
        }
    }
    return platform::userSettingsFolder() + kFileName;
}

SettingsFile::SettingsFile(std::string path) : m_path(std::move(path)) {}

std::string SettingsFile::mapsFolder() const
{
    return platform::readProfileString(m_path, kSection, kKey, kMaxValueLength);
}

void SettingsFile::storeMapsFolder(const std::string& mapsFolder)
{
    // The user's settings folder does not exist before the first write.
    const std::filesystem::path folder = std::filesystem::path(m_path).parent_path();
    if (!folder.empty()) {
        std::error_code ignored;  // a folder that cannot be made fails the write below
        std::filesystem::create_directories(folder, ignored);
    }
    if (!platform::writeProfileString(m_path, kSection, kKey, mapsFolder)) {
        throw Error("Unable to write to " + platform::fullPath(m_path));
    }
}

}  // namespace gantrel
