// SPDX-License-Identifier: MIT
#pragma once

// What the search for missing files and the relinking of tiles ask of the file system, beyond
// the scan's own lookups.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gantrel::platform {

struct FolderEntry {
    std::string name;  // the program's 8-bit string
    bool folder;       // a directory (a link to one is not followed: false)
};

/// The entries of a folder, "." and ".." left out, in the order the system lists them; nothing
/// when the folder cannot be listed. Links to folders count as files, so a walk never loops.
std::optional<std::vector<FolderEntry>> listFolder(const std::string& folder);

/// The key under which the native file system matches a file name: names with equal keys name
/// the same file (without regard to case, on POSIX too).
std::string fileNameKey(std::string_view name);

/// What tells that a file changed: its size and its last-write time.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // in the system's own units
    bool operator==(const FileStamp&) const = default;
};

/// The stamp of an existing regular file; nothing for anything else.
std::optional<FileStamp> fileStamp(const std::string& path);

/// True when the file is read-only: its attribute (Windows) or its mode allows no writing.
bool fileReadOnly(const std::string& path);

/// Creates one folder; false when it cannot be made or exists already.
bool createFolder(const std::string& path);

/// The local time as YYYYMMDD-HHMMSS.
std::string localTimeStamp();

}  // namespace gantrel::platform
