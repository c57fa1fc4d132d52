// SPDX-License-Identifier: MIT
#pragma once

// The Windows API as the Win32 side of the platform seam includes it, the owners of the handles
// it opens, and the few conversions its files share. Only src/platform/win32/ includes this
// header.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <string_view>

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

/// The program's 8-bit text (the ANSI code page) as UTF-16 for the wide calls, and back.
std::wstring toWide(std::string_view text);
std::string toNarrow(std::wstring_view text);

/// GetFullPathNameW's answer; the path itself when the system cannot make it absolute.
std::wstring fullPathWide(const std::wstring& path);

/// True for the attributes of a folder; false for a file and for INVALID_FILE_ATTRIBUTES (no
/// such entry).
bool isDirectory(DWORD attributes);

/// The system's own words for an error code, exactly as FormatMessageW gives them, line break
/// at the end included; empty when the system has no text for the code.
std::string systemText(DWORD code);

}  // namespace gantrel::platform::win32
