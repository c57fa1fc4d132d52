// SPDX-License-Identifier: MIT
#include "settings/start_folder.h"

#include <cstdlib>

#include "platform/platform.h"
#include "settings/special_folders.h"

namespace gantrel {
namespace {

// On a 64-bit Windows system the 32-bit programs folder ends in " (x86)\"; cutting those
// seven characters gives the 64-bit programs folder without its separator.
constexpr std::size_t kX86SuffixLength = 7;

std::vector<std::string> shellCandidates(const std::string& programs, const std::string& fonts)
{
    const std::string programs64 = programs.size() < kX86SuffixLength
                                       ? std::string()
                                       : programs.substr(0, programs.size() - kX86SuffixLength);
    // The fonts folder lies on the system drive; only its root ("C:\") is wanted.
    const std::string systemRoot = fonts.substr(0, 3);
    return {
        programs + "Steam\\steamapps\\common\\TELV 2\\maps",
        programs64 + "\\Steam\\steamapps\\common\\TELV 2\\maps",
        programs + "kornweil\\Telv\\maps",
        programs64 + "\\kornweil\\Telv\\maps",
        systemRoot + "kornweil\\Telv\\maps",
        systemRoot,
    };
}

// An environment folder as the base directory rules take it: unset, empty or relative
// counts as missing. Trailing slashes are dropped so that appending "/name" stays clean.
std::string absoluteFolderFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') {
        return {};
    }
    std::string folder = value;
    while (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

// Where a Steam or a Wine installation puts the simulator below the user's home.
std::vector<std::string> homeCandidates()
{
    const std::string home = absoluteFolderFromEnvironment("HOME");
    std::string dataHome = absoluteFolderFromEnvironment("XDG_DATA_HOME");
    if (dataHome.empty() && !home.empty()) {
        dataHome = home + "/.local/share";
    }
    std::vector<std::string> candidates;
    if (!dataHome.empty()) {
        candidates.push_back(dataHome + "/Steam/steamapps/common/TELV 2/maps");
    }
    if (!home.empty()) {
        candidates.push_back(home + "/.steam/steam/steamapps/common/TELV 2/maps");
        candidates.push_back(home + "/.wine/drive_c/Program Files (x86)/kornweil/Telv/maps");
        candidates.push_back(home + "/.wine/drive_c/Program Files/kornweil/Telv/maps");
    }
    candidates.emplace_back("/");
    return candidates;
}

}  // namespace

std::vector<std::string> startFolderCandidates(const std::string& programsFolder,
                                               const std::string& fontsFolder)
{
    if (programsFolder.empty() && fontsFolder.empty()) {
        return homeCandidates();
    }
    return shellCandidates(programsFolder, fontsFolder);
}

std::string startFolder(const SettingsFile& settings)
{
    std::string stored = settings.mapsFolder();
    if (!stored.empty()) {
        // Returned even when it no longer exists: the chooser then opens without a selection.
        return stored;
    }
    const std::vector<std::string> candidates = startFolderCandidates(
        getSpecialFolder(kProgramFilesFolder), getSpecialFolder(kFontsFolder));
    for (std::size_t i = 0; i + 1 < candidates.size(); ++i) {
        if (platform::directoryExists(candidates[i])) {
            return candidates[i];
        }
    }
    return candidates.back();
}

}  // namespace gantrel
