// SPDX-License-Identifier: MIT
// The file system on Windows. The native calls find names the way the maps expect (without
// regard to case, "\" and "/" both separators), so nothing here imitates them: the POSIX side
// is the one that has to.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "platform/platform.h"
#include "platform/tile_name.h"
#include "platform/win32/windows_api.h"

namespace gantrel::platform {
namespace {

[[noreturn]] void failToOpen(const std::wstring& path, DWORD code)
{
    throw Error(openErrorText(win32::toNarrow(win32::fullPathWide(path)), win32::systemText(code),
                              static_cast<int>(code)));
}

bool writeAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1U << 30));
        DWORD put = 0;
        if (::WriteFile(file, bytes.data(), chunk, &put, nullptr) == FALSE || put == 0) {
            return false;
        }
        bytes.remove_prefix(put);
    }
    return true;
}

}  // namespace

char separator()
{
    return '\\';
}

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool hasDrives()
{
    return true;
}

std::string fullPath(const std::string& path)
{
    return win32::toNarrow(win32::fullPathWide(win32::toWide(path)));
}

std::string linkTarget(const std::string& path)
{
    return path;
}

std::vector<std::string> findTiles(const std::string& folder)
{
    std::vector<std::string> names;
    if (folder.empty()) {
        return names;
    }
    // A drive root ("D:\") already ends in its separator.
    const std::string prefix =
        folder + (isSeparator(folder.back()) ? "" : std::string(1, separator()));
    // The wide search: the ANSI one stops at the old path limit, and gives a name that the code
    // page cannot hold with a substitute, which then names no file.
    WIN32_FIND_DATAW found{};
    const win32::Search search(
        ::FindFirstFileW(win32::longPath(win32::toWide(prefix + "*.map")).c_str(), &found));
    if (!search.valid()) {
        return names;
    }
    do {
        // The pattern also matches 8.3 short names ("LONGNA~1.MAP" of "long name.mapx"), but
        // the entry's name is its long name: only those that end in ".map" are tiles.
        std::string name = win32::toNarrow(found.cFileName);
        if (!isTileName(name)) {
            continue;
        }
        if (const auto character = win32::unheldCharacter(found.cFileName)) {
            throw win32::unheldNameError(prefix + name, *character);
        }
        names.push_back(std::move(name));
    } while (::FindNextFileW(search.get(), &found) != 0);
    return names;
}

bool directoryExists(const std::string& path)
{
    return !path.empty() &&
           win32::isDirectory(::GetFileAttributesW(win32::longPath(win32::toWide(path)).c_str()));
}

void requireReachable(const std::string& path)
{
    const std::wstring full = win32::fullPathWide(win32::toWide(path));
    for (std::size_t start = win32::rootLength(full); start < full.size();) {
        const std::size_t end = std::min(full.find(L'\\', start), full.size());
        if (::GetFileAttributesW(win32::longPath(full.substr(0, end)).c_str()) !=
            INVALID_FILE_ATTRIBUTES) {
            start = end + 1;
            continue;
        }
        // The first name on the way that names nothing: is it a name of the folder above that
        // reached the program with a substitute for a character the code page lacks?
        const std::wstring folder = full.substr(0, start);
        const std::wstring name = full.substr(start, end - start);
        WIN32_FIND_DATAW found{};
        const win32::Search search(
            ::FindFirstFileW(win32::longPath(folder + L"*").c_str(), &found));
        if (!search.valid()) {
            return;
        }
        do {
            const auto character = win32::unheldCharacter(found.cFileName);
            if (character &&
                win32::sameName(win32::toWide(win32::toNarrow(found.cFileName)), name)) {
                throw win32::unheldNameError(win32::toNarrow(folder + found.cFileName), *character);
            }
        } while (::FindNextFileW(search.get(), &found) != 0);
        return;
    }
}

FolderProblem mapFolderProblem(const std::string& folder)
{
    // Names cannot hold a backslash here, and long paths are handed over in their long form:
    // only a folder that cannot be listed is left.
    const std::wstring full = win32::fullPathWide(win32::toWide(folder));
    WIN32_FIND_DATAW found{};
    const win32::Search search(::FindFirstFileW(
        win32::longPath(full + (full.ends_with(L'\\') ? L"*" : L"\\*")).c_str(), &found));
    const DWORD code = search.valid() ? ERROR_SUCCESS : ::GetLastError();
    if (code == ERROR_ACCESS_DENIED) {
        return {FolderProblem::Kind::Unlisted, win32::toNarrow(full), win32::systemText(code)};
    }
    return {};
}

// Nothing to keep between lookups: the system answers each one itself.
struct FileLookup::Cache {};

FileLookup::FileLookup() : m_cache(std::make_unique<Cache>()) {}

FileLookup::~FileLookup() = default;

bool FileLookup::fileExists(std::string_view path)
{
    // A path that ends in a separator names a folder. "*" and "?" are not valid in a file
    // name, so the system refuses a path that holds them instead of matching a pattern.
    if (path.empty() || isSeparator(path.back())) {
        return false;
    }
    const DWORD attributes = ::GetFileAttributesW(win32::longPath(win32::toWide(path)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !win32::isDirectory(attributes);
}

struct TileFile::Handle {
    explicit Handle(HANDLE handle) : file(handle) {}
    win32::Handle file;
};

TileFile::TileFile(const std::string& path) : m_path(path)
{
    // Other programs may read the tile meanwhile but not write it; a program that holds it
    // open for writing already makes the open fail with a sharing violation. A folder fails
    // to open as a file, with the system's "access denied".
    const std::wstring widePath = win32::toWide(path);
    m_handle = std::make_unique<Handle>(
        ::CreateFileW(win32::longPath(widePath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_handle->file.valid()) {
        failToOpen(widePath, ::GetLastError());
    }
    // A device name ("CON.map") opens the device, whose reads may wait for ever: refused as
    // a folder is.
    if (::GetFileType(m_handle->file.get()) != FILE_TYPE_DISK) {
        failToOpen(widePath, ERROR_ACCESS_DENIED);
    }
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(m_handle->file.get(), &size) == 0) {
        failToOpen(widePath, ::GetLastError());
    }
    m_size = static_cast<std::uint64_t>(size.QuadPart);
}

TileFile::~TileFile() = default;

std::size_t TileFile::readAt(std::uint64_t offset, char* into, std::size_t room)
{
    // Nobody can write the file while this handle is open, so its size holds.
    std::size_t done = 0;
    while (done < room) {
        const std::uint64_t at = offset + done;
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        const auto part = static_cast<DWORD>(std::min<std::size_t>(room - done, MAXDWORD));
        DWORD got = 0;
        if (::ReadFile(m_handle->file.get(), into + done, part, &got, &position) == 0) {
            const DWORD code = ::GetLastError();
            if (code == ERROR_HANDLE_EOF) {
                break;
            }
            failToOpen(win32::toWide(m_path), code);
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

bool replaceFile(const std::string& path, std::string_view bytes)
{
    const std::wstring target = win32::fullPathWide(win32::toWide(path));
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (win32::isDirectory(attributes) || (attributes & FILE_ATTRIBUTE_READONLY) != 0)) {
        return false;
    }
    std::wstring temporary;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (DWORD attempt = 0; attempt < 16 && created == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = target + L"." + std::to_wstring(::GetTickCount() + attempt) + L".tmp";
        created = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    if (created == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool written = false;
    {
        const win32::Handle file(created);
        written = writeAll(file.get(), bytes) && ::FlushFileBuffers(file.get()) != FALSE;
    }
    // ReplaceFileW keeps the replaced file's attributes and access rights on the new content.
    const bool placed =
        written &&
        (exists
             ? ::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != FALSE
             : ::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE);
    if (!placed) {
        ::DeleteFileW(temporary.c_str());
    }
    return placed;
}

}  // namespace gantrel::platform
