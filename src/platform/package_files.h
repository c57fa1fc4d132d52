// SPDX-License-Identifier: MIT
#pragma once

// The map package's part of the seam to the operating system: paths between the program's
// 8-bit text and the standard library, source files read in pieces, and the package file,
// written beside its target and put in its place when complete.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

namespace gantrel::platform {

/// The standard library's path for a path in the program's 8-bit text (the ANSI code page on
/// Windows, which the library would read in another encoding).
std::filesystem::path nativePath(const std::string& path);
/// The program's 8-bit text for a path of the standard library.
std::string narrowPath(const std::filesystem::path& path);

/// The local time of a moment given in seconds since 1970 (UTC).
std::tm localTime(std::int64_t seconds);

/// A file opened for reading in pieces; links are followed.
class SourceFile {
public:
    /// Opens the file; ok() tells whether it could be, failure() why not.
    explicit SourceFile(const std::filesystem::path& path);
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    bool ok() const { return m_failure.empty(); }
    /// The system's words for what went wrong last; empty while nothing has.
    const std::string& failure() const { return m_failure; }
    /// The size and the last-write time (seconds since 1970) the system gave at the open.
    std::uint64_t size() const { return m_size; }
    std::int64_t modified() const { return m_modified; }
    /// Reads up to `room` bytes at the current position; returns how many, 0 at the end, and
    /// -1 when the read failed (failure() says why).
    std::int64_t read(char* into, std::size_t room);
    /// Goes back to the start of the file; false when it cannot (failure() says why).
    bool rewind();

private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
    std::string m_failure;
    std::uint64_t m_size = 0;
    std::int64_t m_modified = 0;
};

/// A new file beside `target` (in its folder, under a name of its own) that takes the target's
/// place when commit() succeeds. Until then the target is untouched; a staged file that is not
/// committed is removed when it goes, so a failed or cancelled write leaves nothing behind.
/// Every call returns false when the system refused, and failure() says why.
class StagedFile {
public:
    explicit StagedFile(const std::string& target);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    bool ok() const { return m_failure.empty(); }
    const std::string& failure() const { return m_failure; }
    /// The new file's path, for the caller to keep out of what it writes.
    const std::filesystem::path& path() const { return m_path; }

    bool write(const char* bytes, std::size_t count);
    /// Puts the write position at an offset from the start.
    bool seek(std::uint64_t offset);
    /// Cuts the file at `length`, writes it to the disk and moves it over the target (which
    /// it replaces when it exists).
    bool commit(std::uint64_t length);

private:
    bool fail(std::string reason);

    struct Handle;
    std::unique_ptr<Handle> m_handle;
    std::filesystem::path m_path;
    std::filesystem::path m_target;
    std::string m_failure;
    bool m_committed = false;
};

}  // namespace gantrel::platform
