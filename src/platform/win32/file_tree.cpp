// SPDX-License-Identifier: MIT
#include "platform/file_tree.h"

#include <cstdio>

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace gantrel::platform {

std::optional<std::vector<FolderEntry>> listFolder(const std::string& folder)
{
    const std::string prefix =
        folder.empty() || isSeparator(folder.back()) ? folder : folder + separator();
    WIN32_FIND_DATAW found{};
    const win32::Search search(
        ::FindFirstFileW(win32::longPath(win32::toWide(prefix + "*")).c_str(), &found));
    if (!search.valid()) {
        return std::nullopt;
    }
    std::vector<FolderEntry> entries;
    do {
        const std::wstring_view name = found.cFileName;
        // A name the code page cannot hold is reached by no 8-bit path.
        if (name == L"." || name == L".." || win32::unheldCharacter(name)) {
            continue;
        }
        // A junction or a folder link is not entered: the walk would loop or leave the tree.
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                              (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
        entries.push_back({win32::toNarrow(name), isFolder});
    } while (::FindNextFileW(search.get(), &found) != 0);
    return entries;
}

std::string fileNameKey(std::string_view name)
{
    // The file system compares names by their upper case, unit by unit.
    std::wstring units = win32::toWide(name);
    if (!units.empty()) {
        ::CharUpperBuffW(units.data(), static_cast<DWORD>(units.size()));
    }
    return std::string(reinterpret_cast<const char*>(units.data()), units.size() * sizeof(wchar_t));
}

std::optional<FileStamp> fileStamp(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExW(win32::longPath(win32::toWide(path)).c_str(), GetFileExInfoStandard,
                               &data) == 0 ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    return FileStamp{
        (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
        static_cast<std::int64_t>((std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                  data.ftLastWriteTime.dwLowDateTime)};
}

bool fileReadOnly(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(win32::longPath(win32::toWide(path)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool createFolder(const std::string& path)
{
    return ::CreateDirectoryW(win32::longPath(win32::toWide(path)).c_str(), nullptr) != 0;
}

std::string localTimeStamp()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond);
    return text;
}

}  // namespace gantrel::platform
