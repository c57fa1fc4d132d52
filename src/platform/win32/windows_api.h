#pragma once

// The Windows API as the Win32 side of the platform seam includes it, and the one handle type
// it shares. Only src/platform/win32/ includes this header.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace gantrel::platform::win32 {

/// Owns a kernel handle (a file, for instance) and closes it when it goes; an invalid handle
/// (INVALID_HANDLE_VALUE or null) is owned by nobody.
class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle()
    {
        if (valid()) {
            ::CloseHandle(m_handle);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

}  // namespace gantrel::platform::win32
