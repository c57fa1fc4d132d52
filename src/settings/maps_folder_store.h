// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace gantrel {

/// Where a completed scan stores the maps folder of the map for the next start.
class MapsFolderStore {
public:
    virtual ~MapsFolderStore() = default;
    /// Stores the maps folder (with its trailing separator). Throws Error
    /// "Unable to write to <file>" when it cannot be stored.
    virtual void storeMapsFolder(const std::string& mapsFolder) = 0;
};

/// A store that keeps nothing: the scanner checks maps without touching the settings.
class NoMapsFolderStore final : public MapsFolderStore {
public:
    void storeMapsFolder(const std::string&) override {}
};

}  // namespace gantrel
