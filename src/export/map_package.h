// SPDX-License-Identifier: MIT
#pragma once

// The map package: one zip with the map folder and the object and spline folders the map
// uses, as a player unpacks it into the simulator's folder.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "analysis/window_state.h"

namespace gantrel {

/// One file of a package folder.
struct PackageFile {
    std::filesystem::path source;  // where it lies, links followed
    std::string name;              // the entry's name: UTF-8, relative to GameRoot, "/" between
    std::uint64_t size = 0;        // as listed
};

/// One folder a package can hold, relative to GameRoot.
struct PackageFolder {
    /// The folder as the lists write folders ("maps\Demo\"), in its spelling on disk when it
    /// exists, else as the tiles name it.
    std::string folder;
    /// False for a folder the installation does not hold: it is shown but never packed.
    bool present = false;
    std::vector<PackageFile> files;  // every file below it, in name order
    std::uint64_t bytes = 0;         // their sizes together
};

/// What a package of the run shown can hold: the map folder first, then the used object
/// folders and the used spline folders in list order. A folder inside another of them goes
/// with that one and is not listed; entries naming one folder in other letter cases, or the
/// same folder through links, are listed once; an entry that leads out of GameRoot is left
/// out. Below each folder links are followed and every distinct folder is listed once.
/// `mapFolder` is the analysed map folder. Throws Error when a folder cannot be listed.
std::vector<PackageFolder> packageFolders(const WindowState& state, const std::string& mapFolder);

/// How far the writing of a package has come.
struct PackageProgress {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    std::uint64_t totalFiles = 0;
    std::uint64_t totalBytes = 0;
};

/// Called after each piece of a file; returning false cancels the package.
using PackageProgressFn = std::function<bool(const PackageProgress&)>;

/// What a written package holds.
struct PackageResult {
    bool cancelled = false;
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;    // the files' sizes together
    std::uint64_t zipSize = 0;  // the zip's own size
};

/// Writes the chosen present folders (`chosen[i]` for `folders[i]`) into the zip `zipFile`:
/// into a new file beside it that takes its place once complete, so that a cancelled or failed
/// package leaves nothing behind and the old file, if any, as it was. The zip being written and
/// the file it replaces are never packed. Throws Error "Cannot read file "F". R" for a file
/// that cannot be read (it ends the package) and "Unable to write to Z. R" when the zip cannot
/// be written.
PackageResult writeMapPackage(const std::vector<PackageFolder>& folders,
                              const std::vector<bool>& chosen, const std::string& zipFile,
                              const PackageProgressFn& progress);

/// The end message of a written package: its files, their bytes and where it is.
std::string packageEndMessage(const PackageResult& result, const std::string& zipFile);

/// True when a folder as the user or the settings write it names the package folder: without
/// regard to ASCII letter case, "/" and "\" alike, the trailing separator optional.
bool sameFolderName(std::string_view a, std::string_view b);

}  // namespace gantrel
