// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "settings/maps_folder_store.h"

namespace gantrel {

/// Where the settings live: gantrel.ini beside the executable where the user may write there
/// and the program is not an installed one, otherwise gantrel.ini in the user's own settings
/// folder. `programFolder` (with its trailing separator) is the executable's folder.
std::string settingsFilePath(const std::string& programFolder);
std::string settingsFilePath();

/// The settings file: section "mapfolder", key "path", the maps folder of the last completely
/// scanned map. Opened and closed around each access.
class SettingsFile final : public MapsFolderStore {
public:
    explicit SettingsFile(std::string path = settingsFilePath());

    const std::string& path() const { return m_path; }

    /// The stored maps folder; empty when the file, the section or the key is missing.
    /// At most 2,047 characters.
    std::string mapsFolder() const;

    /// Writes the maps folder, leaving every other section, key and line as it was.
    /// Throws Error "Unable to write to <path>", also for a folder whose name holds a line
    /// break, which the file could not give back.
    void storeMapsFolder(const std::string& mapsFolder) override;

private:
    std::string m_path;
};

}  // namespace gantrel
