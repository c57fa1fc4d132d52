// SPDX-License-Identifier: MIT
#pragma once

// Owners of the POSIX handles the platform side opens: each closes its handle when it goes.

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

namespace gantrel::platform {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = fd;
    }
    int release() { return std::exchange(m_fd, -1); }
    /// Closes the descriptor, returning the errno of a failed close (a late write error), or 0.
    int close()
    {
        const int fd = std::exchange(m_fd, -1);
        return fd >= 0 && ::close(fd) != 0 ? errno : 0;
    }

private:
    int m_fd;
};

class Directory {
public:
    explicit Directory(const std::string& path) : m_dir(::opendir(path.c_str())) {}
    /// Takes over a stream already open (from fdopendir), or nullptr.
    explicit Directory(DIR* dir) : m_dir(dir) {}
    ~Directory()
    {
        if (m_dir != nullptr) {
            ::closedir(m_dir);
        }
    }
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;
    DIR* get() const { return m_dir; }

private:
    DIR* m_dir;
};

}  // namespace gantrel::platform
