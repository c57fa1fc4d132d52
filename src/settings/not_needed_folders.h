// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace gantrel {

/// The folders a user marked "not needed" in the map package dialog, remembered per
/// installation in the settings file: section "notneeded", one key per installation (its
/// GameRoot), the folders as the dialog lists them, separated by "|" (a character no Windows
/// name holds). The "mapfolder" section is left alone. Opened and closed around each access.
class NotNeededFolders {
public:
    explicit NotNeededFolders(std::string settingsPath);

    /// The folders remembered for the installation; none when nothing is.
    std::vector<std::string> read(const std::string& gameRoot) const;
    /// Remembers the folders for the installation (none clears them). An installation folder
    /// that no key can hold ("=" in it, "[" or ";" first) is not remembered. Throws Error
    /// "Unable to write to <path>" when the settings file cannot be written.
    void store(const std::string& gameRoot, const std::vector<std::string>& folders) const;

private:
    std::string m_path;
};

}  // namespace gantrel
