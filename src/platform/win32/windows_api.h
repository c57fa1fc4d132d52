// SPDX-License-Identifier: MIT
#pragma once

// The Windows API as the Win32 side of the platform seam includes it, the owners of the handles
// it opens, and the few conversions its files share. Only src/platform/win32/ includes this
// header; the window takes its conversions from wide_text.h.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "common/error.h"
#include "platform/win32/wide_text.h"

namespace gantrel::platform::win32 {

/// Owns a handle and closes it with `Close` when it goes; an invalid handle
/// (INVALID_HANDLE_VALUE or null) is owned by nobody.
template <typename Close>
class Owned {
public:
    explicit Owned(HANDLE handle) : m_handle(handle) {}
    ~Owned()
    {
        if (valid()) {
            Close{}(m_handle);
        }
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

struct CloseKernelHandle {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
struct CloseSearch {
    void operator()(HANDLE handle) const { ::FindClose(handle); }
};

/// A kernel handle: a file, a process.
using Handle = Owned<CloseKernelHandle>;
/// A directory search of FindFirstFile.
using Search = Owned<CloseSearch>;

/// GetFullPathNameW's answer; the path itself when the system cannot make it absolute.
std::wstring fullPathWide(const std::wstring& path);

/// The path as the wide file routines take it: its full path, with the long-path prefix
/// ("\\?\", or "\\?\UNC\" for a share) when it is too long for them without one. The
/// prefix turns off the routines' own clean-up of the path, which the full path has had.
std::wstring longPath(const std::wstring& path);

/// The length of a path's root: "C:\", "\\server\share\", nothing for a relative path.
std::size_t rootLength(std::wstring_view path);

/// True when two names are the same to the file system: equal without regard to case.
bool sameName(std::wstring_view a, std::wstring_view b);

/// The folder of the running executable and the user's roaming application data folder, as
/// the system names them, with a trailing backslash; empty when the system cannot tell.
std::wstring executableFolderWide();
std::wstring appDataFolderWide();

/// The UTF-16 form of a path in the program's 8-bit text. A path that begins with the 8-bit
/// form of one of the two folders above whose name the code page cannot hold (a user named
/// with letters of another script), where the folder stands with substitutes, begins with
/// the folder's true name instead.
std::wstring systemPathWide(const std::string& path);

/// True for the attributes of a folder; false for a file and for INVALID_FILE_ATTRIBUTES (no
/// such entry).
bool isDirectory(DWORD attributes);

}  // namespace gantrel::platform::win32
